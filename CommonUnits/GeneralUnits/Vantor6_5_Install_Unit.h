#pragma once
// The database server check that runs once at start-up.
//
// The project database is an embedded file, so the "server" is a stand-in that reports the
// engine as installed in the required version and running. Its registration, its running
// state and the guardian start can be changed by tests, so that every message and failure
// path of the check stays reachable.
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <functional>

// What the stand-in server reports. The registry key of an installed database server is consulted
// first; when it is absent the embedded engine answers with these values.
struct TEmbeddedServer {
    bool Installed = true;
    String Version = "WI-V6.5.0.1";
    String ServerDirectory; // empty: the install folder
    bool Running = true;
    // Starting the guardian ("<ServerDirectory>vantorguard -a"); the stand-in's guardian
    // brings the server up.
    std::function<void(const String& program, const String& arguments, const String& folder)> StartGuardian;
    unsigned GuardianWaitMs = 5000;
};
TEmbeddedServer& EmbeddedServer();
void ResetEmbeddedServer();

enum TServerTestResult { strConnected, strFailed };

class TfrmVantorInstall6_5 : public TForm {
public:
    explicit TfrmVantorInstall6_5(TComponent* owner);

    TLabel* lblInstallationLog = nullptr;
    TMemo* mmoInstallationLog = nullptr; // fills the window below its label

    // True when the server can be used; shows the failure messages itself.
    bool CheckServerInstallation();

    static void ReadServerRegistration(String& version, String& serverDirectory);
    static TServerTestResult TestServerConnection(const String& testDatabase, const String& userName,
                                                  const String& password);

private:
    void FormCreate(TObject* sender);
};
