#include "SshServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

// A port the kernel handed out as free a moment ago.
int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("no free port");
    int port = ntohs(address.sin_port);
    close(fd);
    return port;
}

std::string SshdPath() {
    for (const char* path : {"/usr/sbin/sshd", "/usr/bin/sshd", "/sbin/sshd"})
        if (access(path, X_OK) == 0)
            return path;
    throw std::runtime_error("no sshd (Debian package openssh-server)");
}

}  // namespace

int ClosedPort() {
    return FreePort();
}

TSshServer& TSshServer::Instance() {
    static TSshServer server;
    return server;
}

TSshServer::TSshServer() {
    std::string pattern = "/tmp/tandril-sshd-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    Dir = pattern;
    chmod(Dir.c_str(), 0755);
    struct passwd* user = getpwuid(geteuid());
    if (!user)
        throw std::runtime_error("no user name");
    User = user->pw_name;
    Run("ssh-keygen -q -t ed25519 -N '' -f " + Dir + "/host_key");
    Run("ssh-keygen -q -t ed25519 -N '' -f " + Dir + "/user_key");
    Run("ssh-keygen -q -t ed25519 -N '' -f " + Dir + "/other_key");
    fs::copy_file(Dir + "/user_key.pub", Dir + "/authorized_keys");
    // sshd refuses to start as root without its privilege separation folder.
    if (geteuid() == 0)
        fs::create_directories("/run/sshd");
    Start();
}

void TSshServer::Start() {
    const std::string sshd = SshdPath();
    // A port found free can be taken by someone else before sshd binds it.
    for (int attempt = 0; attempt < 5; ++attempt) {
        PortNumber = FreePort();
        WriteAll(Dir + "/sshd_config", "Port " + std::to_string(PortNumber) +
                                           "\n"
                                           "ListenAddress 127.0.0.1\n"
                                           "HostKey " +
                                           Dir +
                                           "/host_key\n"
                                           "AuthorizedKeysFile " +
                                           Dir +
                                           "/authorized_keys\n"
                                           "StrictModes no\n"
                                           "UsePAM no\n"
                                           "PermitRootLogin prohibit-password\n"
                                           "PasswordAuthentication no\n"
                                           "KbdInteractiveAuthentication no\n"
                                           "PidFile none\n"
                                           "MaxStartups 64\n"
                                           "MaxSessions 64\n");
        const std::string log = Dir + "/sshd.log";
        Pid = fork();
        if (Pid < 0)
            throw std::runtime_error("fork failed");
        if (Pid == 0) {
            // A test program that dies takes its server with it.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            execl(sshd.c_str(), sshd.c_str(), "-D", "-e", "-f", (Dir + "/sshd_config").c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int wait = 0; wait < 500; ++wait) {
            if (ReadAll(log).find("Server listening") != std::string::npos) {
                std::string key = ReadAll(Dir + "/host_key.pub");
                key = key.substr(0, key.rfind(' '));
                WriteAll(Dir + "/known_hosts",
                         "[127.0.0.1]:" + std::to_string(PortNumber) + " " + key + "\n");
                WriteAll(Dir + "/empty_known_hosts", "");
                return;
            }
            int status = 0;
            if (waitpid(Pid, &status, WNOHANG) == Pid)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(Pid, SIGKILL);
        waitpid(Pid, nullptr, 0);
        Pid = -1;
    }
    throw std::runtime_error("sshd did not start: " + ReadAll(Dir + "/sshd.log"));
}

TSshServer::~TSshServer() {
    // The shared connection's master runs on its own until told to exit.
    const std::string stop =
        SshCommand() + " -O exit -p " + std::to_string(PortNumber) + " 127.0.0.1 2>/dev/null";
    if (std::system(stop.c_str()) != 0) {
        // No master was started.
    }
    if (Pid > 0) {
        kill(Pid, SIGTERM);
        waitpid(Pid, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(Dir, ignored);
}

std::string TSshServer::Url(const std::string& path) const {
    return "ssh://" + User + "@127.0.0.1:" + std::to_string(PortNumber) + path;
}

std::string TSshServer::SshCommand() const {
    // One login for the whole program: later connections share the first
    // one's (ControlMaster), which saves about half a second each.
    return "ssh -i " + Dir + "/user_key -o IdentitiesOnly=yes -o StrictHostKeyChecking=yes" +
           " -o UserKnownHostsFile=" + Dir + "/known_hosts -o BatchMode=yes -o LogLevel=ERROR" +
           " -o ControlMaster=auto -o ControlPath=" + Dir + "/cm-%C -o ControlPersist=120";
}

std::string TSshServer::SshCommandUnknownHost() const {
    return "ssh -i " + Dir + "/user_key -o IdentitiesOnly=yes -o StrictHostKeyChecking=yes" +
           " -o UserKnownHostsFile=" + Dir + "/empty_known_hosts -o BatchMode=yes";
}

std::string TSshServer::SshCommandWrongKey() const {
    return "ssh -i " + Dir + "/other_key -o IdentitiesOnly=yes -o StrictHostKeyChecking=yes" +
           " -o UserKnownHostsFile=" + Dir + "/known_hosts -o BatchMode=yes";
}

std::vector<int> TSshServer::FarServers(const std::string& text) const {
    // The far side runs on this machine: its processes are in /proc. The
    // near side's ssh holds the same words, but as one argument.
    std::vector<int> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string command = ReadAll(entry.path().string() + "/cmdline");
        const size_t first = command.find('\0');
        if (first == std::string::npos ||
            command.compare(first + 1, 7, std::string("/serve\0", 7)) != 0)
            continue;
        if (command.find(text) != std::string::npos)
            found.push_back(std::stoi(name));
    }
    return found;
}
