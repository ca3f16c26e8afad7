#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"

#include "platform/win/WinEnvironment.h"
#include "platform/win/WinVersion.h"

#include <memory>
#include <vector>

namespace {

const char* const ClassName = "TVersionInfo";

std::unique_ptr<TVersionInfo>& Instance()
{
    // an instance still alive at program end is freed with this holder
    static std::unique_ptr<TVersionInfo> instance;
    return instance;
}

TDatabaseVersionSource databaseVersionSource = nullptr;

} // namespace

TVersionInfo::TVersionInfo()
{
    DWORD handle = 0;
    const String program = GetModuleFileName();
    const DWORD size = GetFileVersionInfoSize(program, &handle);
    Assert(size != 0, "No version information found", "TVersionInfo_Unit", 101);
    std::vector<char> buffer(size);
    void* fixedInfo = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfo(program, handle, size, buffer.data()) ||
        !VerQueryValue(buffer.data(), "\\", &fixedInfo, &length) || !fixedInfo)
        Assert(false, "No version information found", "TVersionInfo_Unit", 101);
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(fixedInfo);
    major_ = IntToStr(HIWORD(fixed->dwFileVersionMS));
    minor_ = IntToStr(LOWORD(fixed->dwFileVersionMS));
    release_ = IntToStr(HIWORD(fixed->dwFileVersionLS));
    build_ = IntToStr(LOWORD(fixed->dwFileVersionLS));
}

TVersionInfo::~TVersionInfo() = default;

TVersionInfo* TVersionInfo::CreateSingleton()
{
    if (Instance())
        throw Exception(Format("Error: Object already created, use %s.GetSingleton.", {ClassName}));
    Instance().reset(new TVersionInfo());
    return Instance().get();
}

TVersionInfo* TVersionInfo::GetSingleton()
{
    if (!Instance())
        throw Exception(Format("Error: Object not created, use %s.CreateSingleton.", {ClassName}));
    return Instance().get();
}

void TVersionInfo::DestroySingleton()
{
    Instance().reset();
}

bool TVersionInfo::SingletonExists()
{
    return Instance() != nullptr;
}

void TVersionInfo::Create()
{
    throw Exception(Format("Error: Do not use %s.Create, use %s.CreateSingleton.", {ClassName, ClassName}));
}

void TVersionInfo::Destroy()
{
    throw Exception(Format("Error: Do not use %s.Destroy, this would destroy the singleton object, use %s.DestroySingleton !",
                           {ClassName, ClassName}));
}

String GetProductName()
{
    return "RavuzAVEDE";
}

String GetApplicationTitle()
{
    const TVersionInfo* v = TVersionInfo::GetSingleton();
    return Format("%s %s.%s.%s", {GetProductName(), v->Major(), v->Minor(), v->Release()});
}

String GetReleaseDate()
{
    return "April 2016";
}

String GetApplicationTitleWithDate()
{
    return GetApplicationTitle() + " (" + GetReleaseDate() + ")";
}

String GetAboutText()
{
    return "RavuzAVEDE is the user interface of the leaching model. It was developed in cooperation "
           "between the institutes that build and maintain the model and its scenarios.\r\n\r\n"
           "The scenario data shipped with the database belong to the organisations that compiled them; "
           "they may be used for the assessments they were made for.\r\n\r\n"
           "The software belongs to its makers. It is provided as it is, without any warranty.";
}

String GetDatabaseVersionText()
{
    return databaseVersionSource ? databaseVersionSource() : String();
}

void SetDatabaseVersionSource(TDatabaseVersionSource source)
{
    databaseVersionSource = source;
}
