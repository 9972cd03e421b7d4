// The JSON install database: any bytes. The loader throws EDataException (or
// EFileException) for what is not a database; the records' typed fields
// throw the library's exceptions for texts of the wrong kind.
#include <quen/Exceptions.h>
#include <quen/InstallDB.h>

#include "support/FuzzInput.h"

namespace {

void ReadFields(const CDataTable& record)
{
    record.Label();
    for (const wchar_t* field : {IdfFields::Baseplus, IdfFields::Temporary, IdfFields::MajorVersion,
                                 IdfFields::PathToRelease, IniFields::CmdLineArgs}) {
        record[field];
        try {
            record.GetFieldAsBool(field);
        } catch (const EBaseException&) {
        }
        try {
            record.GetFieldAsLong(field);
        } catch (const EBaseException&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::wstring path = quen::fuzz::WriteInput(data, size, L"image.json");
    try {
        const CInstallDB db(path);
        ReadFields(db.FoundationImage());
        for (const CDataTableList* list : {&db.Applications(), &db.Modules()})
            for (auto record = list->BeginC(); record != list->EndC(); ++record)
                ReadFields(**record);
    } catch (const EBaseException&) {
    }
    return 0;
}
