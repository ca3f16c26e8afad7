#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"

#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/TQuelmIniFile_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "platform/db/DBTables.h"
#include "platform/framework/Dialogs.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinEnvironment.h"
#include "platform/win/WinRegistry.h"


namespace {

const String kServerKey = "\\SOFTWARE\\Kestrix\\Vantor\\CurrentVersion";
const String kRequiredVersion = "WI-V6.5.0.1";

void Wait(unsigned ms)
{
    Sleep(ms);
}

} // namespace

TEmbeddedServer& EmbeddedServer()
{
    static TEmbeddedServer server;
    return server;
}

void ResetEmbeddedServer()
{
    EmbeddedServer() = TEmbeddedServer();
}

TfrmVantorInstall6_5::TfrmVantorInstall6_5(TComponent* owner) : TForm(owner)
{
    SetName("frmVantorInstall6_5");
    SetBorderStyle(bsSingle);
    Position = poScreenCenter;
    SetClientWidth(550);
    SetClientHeight(479);
    SetBorderIcons(TBorderIcons());

    lblInstallationLog = new TLabel(this);
    lblInstallationLog->SetName("lblInstallationLog");
    lblInstallationLog->SetParent(this);
    lblInstallationLog->SetCaption("Installation Log:");
    lblInstallationLog->SetBounds(8, 8, 120, 17);

    mmoInstallationLog = new TMemo(this);
    mmoInstallationLog->SetName("mmoInstallationLog");
    mmoInstallationLog->SetParent(this);
    mmoInstallationLog->SetReadOnly(true);
    mmoInstallationLog->SetScrollBars(ssBoth);
    mmoInstallationLog->SetBounds(8, 28, ClientWidth() - 16, ClientHeight() - 36);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
}

void TfrmVantorInstall6_5::FormCreate(TObject*)
{
    SetCaption(Format("%s - Installation of Vantor 6.5", {GetApplicationTitle()}));
}

void TfrmVantorInstall6_5::ReadServerRegistration(String& version, String& serverDirectory)
{
    version.clear();
    serverDirectory.clear();
    TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (registry.OpenKeyReadOnly(kServerKey)) {
        version = registry.ReadString("Version");
        serverDirectory = registry.ReadString("ServerDirectory");
        registry.CloseKey();
    } else if (EmbeddedServer().Installed) {
        version = EmbeddedServer().Version;
        serverDirectory = EmbeddedServer().ServerDirectory.empty() ? GetInstallDir() : EmbeddedServer().ServerDirectory;
    }
    if (!serverDirectory.empty())
        serverDirectory = IncludeTrailingPathDelimiter(serverDirectory);
}

TServerTestResult TfrmVantorInstall6_5::TestServerConnection(const String& testDatabase, const String& userName,
                                                           const String& password)
{
    if (!FileExists(testDatabase)) {
        MessageDlg("Internal error, connection test file " + testDatabase + " does not exist.", mtError, {mbOK}, 0);
        return strFailed;
    }
    if (!EmbeddedServer().Running)
        return strFailed;
    TDatabase connection;
    connection.SetDatabaseName("ConnectionTest");
    // The lines of the application's connection, with the login given here.
    TDBConnector::ConfigureConnection(connection, "ConnectionTest", testDatabase);
    connection.Params.SetValue("USER NAME", userName);
    connection.Params.SetValue("PASSWORD", password);
    try {
        connection.Open();
    } catch (const EDBEngineError&) {
        return strFailed;
    }
    const bool connected = connection.Connected();
    connection.Close();
    return connected ? strConnected : strFailed;
}

bool TfrmVantorInstall6_5::CheckServerInstallation()
{
    String version, serverDirectory;
    ReadServerRegistration(version, serverDirectory);
    if (version.empty()) {
        MessageDlg("Vantor is not installed, contact " + GetProductName() + " / RavuzAVEDE technical support.",
                   mtError, {mbOK}, 0);
        return false;
    }
    if (version != kRequiredVersion) {
        MessageDlg("A different version of Vantor is already installed !\r\rSee the file "
                   "ReadMeDuringInstallation.rtf for an explanation of this message.",
                   mtError, {mbOK}, 0);
        return false;
    }
    const String testDatabase = PathJoin(PathJoin(ExcludeTrailingPathDelimiter(GetInstallDir()), "Bin"),
                                         "ConnectionTest.vantor");
    if (TestServerConnection(testDatabase, TQuelmIniFile::UserName(), TQuelmIniFile::Password()) == strConnected)
        return true;
    // Start the guardian once and try again after it had time to bring the server up.
    const String program = serverDirectory + "vantorguard";
    if (EmbeddedServer().StartGuardian)
        EmbeddedServer().StartGuardian(program, "-a", serverDirectory);
    else
        EmbeddedServer().Running = true; // the embedded engine is always there to be woken
    Wait(EmbeddedServer().GuardianWaitMs);
    ReadServerRegistration(version, serverDirectory);
    if (TestServerConnection(testDatabase, TQuelmIniFile::UserName(), TQuelmIniFile::Password()) == strConnected)
        return true;
    MessageDlg("Cannot establish Vantor connection. Please try again.\r\rContact " + GetProductName() +
                   " / RavuzAVEDE technical support if this problem persists.",
               mtError, {mbOK}, 0);
    return false;
}
