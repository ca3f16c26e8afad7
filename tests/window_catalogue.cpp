#include "window_catalogue.h"

#include "platform/win/WinVersion.h"

#include "CommonUnits/GeneralUnits/About.h"
#include "CommonUnits/GeneralUnits/Comment.h"
#include "CommonUnits/GeneralUnits/FileView.h"
#include "CommonUnits/GeneralUnits/TForm_Splash_Unit.h"
#include "CommonUnits/GeneralUnits/TfrmCopyProgress_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/TfrmDBUpdate_Unit.h"
#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"

// What the windows of the catalogue need around them: the program's version information.
struct TWindowCatalogue::Fixtures {
    Fixtures()
    {
        TVersionInfo::DestroySingleton();
        TVersionInfo::CreateSingleton();
    }
    ~Fixtures() { TVersionInfo::DestroySingleton(); }
    TVersionResource version{2, 1, 2, 10};
};

TWindowCatalogue::TWindowCatalogue() : fixtures_(std::make_unique<Fixtures>())
{
    entries_ = {
        {"About", [] { return New<TfrmAbout>(nullptr); }, {}},
        {"Comment", [] { return New<TfrmComment>(nullptr); }, {}},
        {"FileView", [] { return New<TfrmFileView>(nullptr); }, {}},
        {"Splash", [] { return New<TForm_Splash>(nullptr); }, {}},
        {"CopyProgress", [] { return New<TfrmCopyProgress>(nullptr); }, {}},
        {"DBUpdate", [] { return New<TfrmDBUpdate>(nullptr); }, {}},
        {"ServerInstall", [] { return New<TfrmVantorInstall6_5>(nullptr); }, {}},
    };
}

TWindowCatalogue::~TWindowCatalogue() = default;
