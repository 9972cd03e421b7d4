// Reaches the private parts of CWIMFile that tests check.
#pragma once

#include <quen/WIMFile.h>

struct CWIMFileTestPeer {
    static void ToggleEncryption(const wchar_t* path) { CWIMFile::ToggleEncryption(path); }
    static void Close(CWIMFile& wim) { wim.Close(); }
    static void ThrowIfNotOpen(const CWIMFile& wim) { wim.ThrowIfNotOpen(); }
    static const std::wstring& Path(const CWIMFile& wim) { return wim.m_path; }
    static const std::wstring& ScrambledPath(const CWIMFile& wim) { return wim.m_scrambledPath; }
    static const std::wstring& MountDir(const CWIMFile& wim) { return wim.m_mountDir; }
};
