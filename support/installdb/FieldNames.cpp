#include <quen/InstallDB.h>

const wchar_t* const IdfFields::BLID = L"BLID";
const wchar_t* const IdfFields::Baseplus = L"Baseplus";
const wchar_t* const IdfFields::CustomerLabel = L"CustomerLabel";
const wchar_t* const IdfFields::DetailedVersion = L"DetailedVersion";
const wchar_t* const IdfFields::InstallAfterOOBE = L"InstallAfterOOBE";
const wchar_t* const IdfFields::InstallerType = L"InstallerType";
const wchar_t* const IdfFields::MajorVersion = L"MajorVersion";
const wchar_t* const IdfFields::OS = L"OS";
const wchar_t* const IdfFields::PartID_Rel = L"PartID_Rel";
const wchar_t* const IdfFields::PartType = L"PartType";
const wchar_t* const IdfFields::PathToRelease = L"PathToRelease";
const wchar_t* const IdfFields::Recoverable = L"Recoverable";
const wchar_t* const IdfFields::ReleaseID_Rel = L"ReleaseID_Rel";
const wchar_t* const IdfFields::SetupFile = L"SetupFile";
const wchar_t* const IdfFields::Temporary = L"Temporary";
const wchar_t* const IdfFields::WaitForSetupDelay = L"WaitForSetupDelay";

const wchar_t* const IniFields::CmdLineArgs = L"CmdLineArgs";
const wchar_t* const IniFields::ReleaseName = L"ReleaseName";
const wchar_t* const IniFields::VerCheckAfter = L"VerCheckAfter";
const wchar_t* const IniFields::VersionPath = L"VersionPath";
