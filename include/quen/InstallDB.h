// The install database of an image and the description of its recovery discs.
//
// CInstallDB reads one JSON file (docs/install-database.md): the record of the
// image as a whole, the record of the foundation image (the FI: the package of
// applications and drivers) and two lists of module records. Every record is
// a CDataTable of named text fields; field names compare without regard to
// case. CQuenHDRecoveryIni reads "qenhdrcv.ini" (docs/recovery-ini.md), which
// says on which recovery discs each release path lies.
//
// Failures: a file that cannot be read throws EFileException (an
// ELibraryException); content that is not valid throws EDataException naming
// the file, line and column. A failed load keeps nothing of the file.
#pragma once

#include <quen/Exceptions.h>
#include <quen/Export.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Bad data: a database or description that cannot be parsed, a record that
// lacks a field it must have, a field whose text is not the number or boolean
// asked for. Deliberately not an ELibraryException: handlers that read a
// library error as "no value" (a missing boolean field counts as false) let
// bad data pass on to the run's own handler.
class QUEN_API EDataException : public EBaseException {
public:
    using EBaseException::EBaseException;
};

// Field names of the install database. Each text is the constant's own name:
// IdfFields::BLID is L"BLID".
struct QUEN_API IdfFields {
    static const wchar_t* const BLID;
    static const wchar_t* const Baseplus;
    static const wchar_t* const CustomerLabel;
    static const wchar_t* const DetailedVersion;
    static const wchar_t* const InstallAfterOOBE;
    static const wchar_t* const InstallerType;
    static const wchar_t* const MajorVersion;
    static const wchar_t* const OS;
    static const wchar_t* const PartID_Rel;
    static const wchar_t* const PartType;
    static const wchar_t* const PathToRelease;
    static const wchar_t* const Recoverable;
    static const wchar_t* const ReleaseID_Rel;
    static const wchar_t* const SetupFile;
    static const wchar_t* const Temporary;
    static const wchar_t* const WaitForSetupDelay;
};

struct QUEN_API IniFields {
    static const wchar_t* const CmdLineArgs;
    static const wchar_t* const ReleaseName;
    static const wchar_t* const VerCheckAfter;
    static const wchar_t* const VersionPath;
};

// One record: named text fields, names compared without regard to case.
class QUEN_API CDataTable {
public:
    CDataTable();
    // `origin` says where the record comes from, for messages
    // ("applications[2] of C:\Image\image.json").
    explicit CDataTable(std::wstring origin);

    // The field's text; empty when the record has no such field.
    std::wstring operator[](std::wstring_view field) const;
    // The field's text. An absent field throws EDataException naming the field
    // and the record when `mustExist`, else gives an empty text.
    std::wstring GetFieldAsString(std::wstring_view field, bool mustExist) const;
    // "true"/"false", "yes"/"no", "1"/"0" in any case and nothing else (no
    // blanks around). An absent field throws ELibraryException, any other
    // text EDataException.
    bool GetFieldAsBool(std::wstring_view field) const;
    // A decimal number with an optional sign, within the 32-bit signed range,
    // no blanks around. An absent field throws ELibraryException, any other
    // text EDataException.
    int32_t GetFieldAsLong(std::wstring_view field) const;
    bool ContainsField(std::wstring_view field) const;

    // Sets a field. A field whose name differs only in case is replaced, and
    // the new spelling of the name is kept.
    void SetField(std::wstring_view field, std::wstring text);

    const std::wstring& Origin() const { return m_origin; }
    // The record as messages name it: its CustomerLabel in quotes followed by
    // its origin in parentheses, or whichever of the two it has, or
    // "(unnamed)".
    std::wstring Label() const;

private:
    struct QUEN_API NameLess {
        using is_transparent = void;
        bool operator()(std::wstring_view a, std::wstring_view b) const;
    };

    std::wstring m_origin;
    std::map<std::wstring, std::wstring, NameLess> m_fields;
};

// An ordered list of records that owns them. A record keeps its address for
// the list's whole life, so pointers handed out stay valid.
class QUEN_API CDataTableList {
public:
    using const_iterator = std::vector<const CDataTable*>::const_iterator;

    CDataTableList();
    ~CDataTableList();
    CDataTableList(CDataTableList&& other) noexcept;
    CDataTableList& operator=(CDataTableList&& other) noexcept;
    CDataTableList(const CDataTableList&) = delete;
    CDataTableList& operator=(const CDataTableList&) = delete;

    // Iterators over pointers to the records, in list order.
    const_iterator BeginC() const { return m_records.cbegin(); }
    const_iterator EndC() const { return m_records.cend(); }
    std::size_t Size() const { return m_records.size(); }

    void Add(CDataTable record);

private:
    std::vector<std::unique_ptr<CDataTable>> m_owned;
    std::vector<const CDataTable*> m_records;
};

class QUEN_API CInstallDB {
public:
    // Reads the database at `path`, a Windows path. Throws EFileException
    // when no file exists there (NotFound), when the path is not valid
    // (BadPath) or when the file cannot be opened or read (OpenFailed,
    // ReadFailed); EDataException naming file, line and column when the
    // content is not a valid database.
    explicit CInstallDB(const std::wstring& path);
    // A database made in memory, for hosts that build their records
    // themselves.
    CInstallDB(std::wstring path, CDataTable image, CDataTable foundationImage, CDataTableList applications,
               CDataTableList modules);
    virtual ~CInstallDB();
    CInstallDB(const CInstallDB&) = delete;
    CInstallDB& operator=(const CInstallDB&) = delete;

    // The path the database was read from, as given.
    const std::wstring& GetPath() const { return m_path; }
    // The foundation image's record (empty when the file has none).
    const CDataTable& FoundationImage() const { return m_foundationImage; }
    // The applications and drivers, and the modules, in file order.
    const CDataTableList& Applications() const { return m_applications; }
    const CDataTableList& Modules() const { return m_modules; }

    // The record of the image as a whole (WaitForSetupDelay; empty when the
    // file has none).
    CDataTable ImageRecord;

private:
    std::wstring m_path;
    CDataTable m_foundationImage;
    CDataTableList m_applications;
    CDataTableList m_modules;
};

// The recovery-media description: for each media type, the release paths
// (and files) on each of its numbered discs.
class QUEN_API CQuenHDRecoveryIni {
public:
    CQuenHDRecoveryIni();
    virtual ~CQuenHDRecoveryIni();

    // Reads the description at `path` (a Windows path) in place of the one
    // held, and returns true. When no file exists there it logs a Warning,
    // holds an empty description (every look-up finds nothing) and returns
    // false. Throws EDataException naming file, line and column when the file
    // cannot be parsed, EFileException when it exists but cannot be read; the
    // description held before is then kept unchanged.
    bool Open(const std::wstring& path);
    // Forgets the description.
    void Clear();

    // True when discs of `mediaType` (a section name, any case) hold `path`.
    // An entry holds the path when it names the same path, ignoring case,
    // the kind of slash, blanks around it and leading or trailing
    // backslashes; with `matchBelow` also when it lies below the path (a
    // split module lists its parts). `discs`, when not null, receives the
    // numbers of the discs that hold it, in the order their keys stand in the
    // file, and is emptied when none does. An empty path is held by no disc.
    bool MediaTypeContains(const std::wstring& mediaType, const std::wstring& path, std::vector<int>* discs,
                           bool matchBelow) const;

    struct Disc {
        int number = 0;
        std::vector<std::wstring> entries;  // as written, blanks around removed
    };
    struct MediaType {
        std::wstring name;
        std::vector<Disc> discs;  // in file order
    };

private:
    std::vector<MediaType> m_mediaTypes;
};
