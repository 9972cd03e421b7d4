// CModuleInstaller: construction, copies and the copy-list entry's fields.
#include <quen/ModuleInstaller.h>

CModuleInstaller::CModuleInstaller(const CDataTable* record, CInstaller* installer)
    : m_installer(installer), m_record(record)
{
}

// A copy is a split module's entry for another disc: the caller sets its disc.
CModuleInstaller::CModuleInstaller(const CModuleInstaller& other)
    : IModuleToCopy(other), m_installer(other.m_installer), m_record(other.m_record)
{
}

CModuleInstaller& CModuleInstaller::operator=(const CModuleInstaller& other) = default;

CModuleInstaller::~CModuleInstaller() = default;

int CModuleInstaller::GetDisc() const { return m_disc; }

void CModuleInstaller::SetDisc(int disc) { m_disc = disc; }

std::wstring CModuleInstaller::PathToRelease() const { return (*m_record)[IdfFields::PathToRelease]; }

std::wstring CModuleInstaller::CustomerLabel() const { return (*m_record)[IdfFields::CustomerLabel]; }

std::wstring CModuleInstaller::OS() const { return (*m_record)[IdfFields::OS]; }
