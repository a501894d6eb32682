#pragma once

#include <string>
#include <vector>

// A real sshd for the tests of far sides: listening on a free port of the
// loopback address, with a host key and an authorised key made for it in a
// temporary folder of its own. Started once per test program (the first
// Instance call) and stopped, its folder removed, when the program ends.
// Running as root it serves root (with StrictModes off, since the folder
// lies in /tmp); otherwise the user running the tests.
class TSshServer {
public:
    // The running server; throws when none can be started.
    static TSshServer& Instance();
    ~TSshServer();
    TSshServer(const TSshServer&) = delete;
    TSshServer& operator=(const TSshServer&) = delete;

    int Port() const { return PortNumber; }
    // ssh://user@127.0.0.1:port + path
    std::string Url(const std::string& path) const;
    // The $TANDRIL_SSH of the tests: ssh with the authorised key, strict host
    // key checking against the server's own key, BatchMode on.
    std::string SshCommand() const;
    // The same with a known-hosts file that does not hold the server's key.
    std::string SshCommandUnknownHost() const;
    // The same with a key the server does not accept.
    std::string SshCommandWrongKey() const;
    // The server's folder (no blanks in it: $TANDRIL_SSH is split on blanks).
    const std::string& Folder() const { return Dir; }
    // Process ids of the far sides running for a folder whose path holds
    // text (programs started with "/serve"): what is left on the far machine.
    std::vector<int> FarServers(const std::string& text) const;

private:
    TSshServer();
    void Start();

    std::string Dir;
    std::string User;
    int PortNumber = 0;
    int Pid = -1;
};

// A port of the loopback address on which nothing listens.
int ClosedPort();
