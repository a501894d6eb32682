// The connection to a far side through a real sshd: the greeting, and each
// way it can fail ending in its own status with the host named.
#include <sys/stat.h>

#include <cerrno>

#include <functional>

#include <gtest/gtest.h>

#include "../batch/BatchTestSupport.h"
#include "SshServer.h"
#include "TCompare.h"
#include "TRemoteChannel.h"
#include "TRemoteProtocol.h"

namespace {

TRemoteSettings TestSettings() {
    return {TSshServer::Instance().SshCommand(), TANDRILB_PATH};
}

TRemoteUrl UrlOf(const std::string& text) {
    TRemoteUrl url;
    EXPECT_TRUE(ParseRemoteUrl(text, url)) << text;
    return url;
}

// A far program that is a shell script: for the far sides a real TandrilB
// cannot be made to be.
std::string Script(const TempDir& dir, const std::string& name, const std::string& body) {
    const std::string path = dir / name;
    MakeFile(path, "#!/bin/sh\n" + body + "\n");
    chmod(path.c_str(), 0755);
    return path;
}

TEST(RemoteChannel, GreetsAndReportsAFarFolderThatIsNone) {
    std::atomic<bool> stop{false};
    TRemoteChannel channel(UrlOf(TSshServer::Instance().Url("/no/such/folder")), TestSettings(),
                           stop);
    ASSERT_EQ(channel.Open({"/serve", "/no/such/folder"}), 0) << channel.GetMessage();
    EXPECT_EQ(channel.FarVersion(), TANDRIL_VERSION);
    std::string line;
    ASSERT_EQ(channel.ReadLine(line), TRemoteChannel::TRead::Line);
    int code = 0;
    std::string text;
    ASSERT_TRUE(RemoteProtocol::ParseFailure(line, code, text)) << line;
    EXPECT_EQ(code, CompareStatus::BadPathM);
    EXPECT_EQ(text, "/no/such/folder");
    EXPECT_EQ(channel.ReadLine(line), TRemoteChannel::TRead::End);
    EXPECT_GT(channel.BytesReceived(), 0u);
}

TEST(RemoteChannel, AChildThatWentAwayFailsWritesAndReads) {
    // Without SIGPIPE ignored, the write would end this very process.
    platform::TChildProcess child;
    ASSERT_EQ(child.Start({"sh", "-c", "echo gone >&2"}), 0);
    EXPECT_EQ(child.WaitExit(10000), 0);
    const std::atomic<bool> stop{false};
    EXPECT_EQ(child.Write(std::string(1 << 20, 'x'), stop, 1000),
              platform::TChildProcess::TIo::Failed);
    std::string out;
    EXPECT_EQ(child.Read(out, 100, stop, 1000), platform::TChildProcess::TIo::End);
    EXPECT_EQ(child.ErrorText(), "gone\n");
    EXPECT_EQ(child.Start({"/no/such/program"}), ENOENT);
}

TEST(RemoteChannel, EachFailureHasItsStatusAndNamesTheHost) {
    TSshServer& server = TSshServer::Instance();
    TempDir dir;
    const std::string other = Script(dir, "other", "echo '#tandril-remote 1 0.9.0.0'");
    const std::string protocol =
        Script(dir, "protocol", "echo '#tandril-remote 2 " TANDRIL_VERSION "'");
    const std::string dies = Script(dir, "dies", "echo '#tandril-remote 1 " TANDRIL_VERSION "'");
    const std::string closed = "ssh://127.0.0.1:" + std::to_string(ClosedPort()) + "/x";
    struct {
        const char* name;
        TRemoteSettings settings;
        std::string url;
        int status;        // of Open, or of the first read when Open succeeds
        const char* text;  // a part of the message
    } cases[] = {
        {"far program missing",
         {server.SshCommand(), "/no/such/TandrilB"},
         server.Url("/"),
         CompareStatus::RemoteNoProgram,
         "/no/such/TandrilB"},
        {"another version",
         {server.SshCommand(), other},
         server.Url("/"),
         CompareStatus::RemoteVersion,
         "0.9.0.0"},
        {"another protocol",
         {server.SshCommand(), protocol},
         server.Url("/"),
         CompareStatus::RemoteVersion,
         "バージョン"},
        {"not Tandril",
         {server.SshCommand(), "echo"},
         server.Url("/"),
         CompareStatus::RemoteVersion,
         "Tandril の応答をしません"},
        {"refused",
         {server.SshCommand(), TANDRILB_PATH},
         closed,
         CompareStatus::RemoteRefused,
         "Connection refused"},
        {"host key unknown",
         {server.SshCommandUnknownHost(), TANDRILB_PATH},
         server.Url("/"),
         CompareStatus::RemoteHostKey,
         "ホスト鍵"},
        {"key refused",
         {server.SshCommandWrongKey(), TANDRILB_PATH},
         server.Url("/"),
         CompareStatus::RemoteSshFailed,
         "Permission denied"},
        {"no ssh",
         {"/no/such/ssh -v", TANDRILB_PATH},
         server.Url("/"),
         CompareStatus::RemoteSshFailed,
         "/no/such/ssh を起動できません"},
        {"far side ends after greeting",
         {server.SshCommand(), dies},
         server.Url("/"),
         CompareStatus::RemoteDropped,
         "途中で切れました"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<bool> stop{false};
        const TRemoteUrl url = UrlOf(c.url);
        TRemoteChannel channel(url, c.settings, stop);
        int status = channel.Open({"/serve", "/"});
        if (status == 0) {
            std::string line;
            if (channel.ReadLine(line) == TRemoteChannel::TRead::End)
                status = channel.EndStatus();
        }
        EXPECT_EQ(status, c.status);
        EXPECT_TRUE(channel.GetMessage().starts_with(url.HostText() + ": "))
            << channel.GetMessage();
        EXPECT_NE(channel.GetMessage().find(c.text), std::string::npos) << channel.GetMessage();
    }
}

}  // namespace

namespace {

TEST(RemoteUrl, OnlyTheSshFormIsRemoteAndItsPartsAreChecked) {
    struct {
        const char* text;
        bool valid;
        const char* user = "";
        const char* host = "";
        int port = 0;
        const char* path = "";
    } cases[] = {
        {"ssh://host/srv/data", true, "", "host", 0, "/srv/data"},
        {"ssh://me@host:2222/a b/c", true, "me", "host", 2222, "/a b/c"},
        {"ssh://[::1]:22/x", true, "", "::1", 22, "/x"},
        {"ssh://u@[fe80::1]/x%20y", true, "u", "fe80::1", 0, "/x%20y"},
        {"ssh://host/", true, "", "host", 0, "/"},
        {"ssh://host", false},
        {"ssh:///path", false},
        {"ssh://host:/x", false},
        {"ssh://host:0/x", false},
        {"ssh://host:65536/x", false},
        {"ssh://host:22a/x", false},
        {"ssh://-oProxyCommand=x/y", false},
        {"ssh://-l@host/y", false},
        {"ssh://a@b@host/y", false},
        {"ssh://ho st/y", false},
        {"ssh://ho'st/y", false},
        {"ssh://[::1/x", false},
        {"ssh://[::1]x/y", false},
        {"/ssh://host/x", false},
        {"SSH://host/x", false},
        {"sftp://host/x", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TRemoteUrl url;
        ASSERT_EQ(ParseRemoteUrl(c.text, url), c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(url.User, c.user);
        EXPECT_EQ(url.Host, c.host);
        EXPECT_EQ(url.Port, c.port);
        EXPECT_EQ(url.Path, c.path);
    }
    EXPECT_FALSE(IsRemoteUrl("./ssh://host/x"));
    EXPECT_EQ(UrlOf("ssh://me@[::1]:2/x").HostText(), "me@[::1]:2");
    EXPECT_EQ(UrlOf("ssh://me@[::1]:2/x").Destination(), "me@::1");
}

TEST(RemoteUrl, QuotedWordsReachAShellUnchanged) {
    const std::string words[] = {
        "plain/path-1.0",
        "",
        "it's",
        "a;rm -rf x",
        "$(touch hacked)",
        "`id`",
        "line\nbreak",
        "  two ",
        "back\\slash",
        "*?[a]",
        "\xff\xfe\x80",
        "~root",
        "'",
        "''\n'",
        "a=b",
        "&|<>!#",
    };
    for (const std::string& word : words) {
        SCOPED_TRACE(word);
        TempDir dir;
        const std::string out = dir / "out";
        const std::string command = "printf %s " + QuoteForShell(word) + " > " + out;
        ASSERT_EQ(std::system(("sh -c " + QuoteForShell(command)).c_str()), 0);
        EXPECT_EQ(ReadFile(out), word);
    }
    EXPECT_EQ(QuoteForShell("/srv/data"), "/srv/data");
    EXPECT_EQ(SplitCommandWords(" ssh\t-i key  -o BatchMode=yes "),
              (std::vector<std::string>{"ssh", "-i", "key", "-o", "BatchMode=yes"}));
}

}  // namespace
