#include "platform/AppleJson.h"
#include "platform/InternetDateTime.h"
#include "setup/service/QuillstoneAdministratorCommand.h"
#include "status/StatusDocument.h"
#include "support/ProgramRun.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <dirent.h>
#include <grp.h>
#include <nlohmann/json.hpp>
#include <pwd.h>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
using nlohmann::json;

namespace {

const std::filesystem::path bundledScript =
    std::filesystem::path(QUILLSTONE_APP_DIR) / "Contents/Resources/BackupMonitor.sh";

// The script as the wizard installs it, run the way SuperDuper! Classic runs it:
// the executable itself with source name, source path, destination name,
// destination path and copy script name. Each awk in the parameter is tried,
// because macOS ships the one true awk and Debian mawk.
class BackupMonitorScriptTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        auto awk = std::filesystem::path("/usr/bin") / GetParam();
        if (!std::filesystem::exists(awk)) {
            GTEST_SKIP() << awk << " is not installed";
        }
        std::filesystem::create_directories(folder / "awk");
        std::filesystem::create_symlink(awk, folder / "awk/awk");
        environment.set("PATH", (folder / "awk").string() + ":/usr/bin:/bin:/usr/sbin:/sbin");

        quillstone = folder / "It's \"my\" back\\up" / "Quillstone";
        std::filesystem::create_directories(quillstone);
        auto text = readText(bundledScript);
        const std::string placeholder = "__QUILLSTONE_DIR__";
        for (size_t at; (at = text.find(placeholder)) != std::string::npos;) {
            text.replace(at, placeholder.size(), QuillstoneAdministratorCommand::shellQuoted(quillstone.string()));
        }
        script = quillstone / "BackupMonitor.sh";
        writeText(script, text);
        std::filesystem::permissions(script, std::filesystem::perms(0755));
    }

    ProgramRun copyFinished(const std::string& source, const std::string& destination,
                            const std::string& copyScript = "Backup - all files") {
        return ProgramRun::of(script, {source, "/", destination, quillstone.string(), copyScript});
    }
    std::filesystem::path statusFile() const { return quillstone / "backup_status.json"; }
    json status() const { return json::parse(readText(statusFile())); }
    StatusDocument strictlyRead() const {
        auto document = StatusDocument::decode(readText(statusFile()));
        EXPECT_TRUE(document.has_value()) << readText(statusFile());
        return document.value_or(StatusDocument{});
    }
    std::vector<std::filesystem::path> keptAside() const {
        std::vector<std::filesystem::path> kept;
        for (const auto& item : std::filesystem::directory_iterator(quillstone)) {
            if (item.path().filename().string().rfind("backup_status.json.unreadable-", 0) == 0) {
                kept.push_back(item.path());
            }
        }
        return kept;
    }
    size_t logLines(const std::string& containing) const {
        std::istringstream log(readText(quillstone / "logs/BackupMonitor.log"));
        size_t count = 0;
        for (std::string line; std::getline(log, line);) {
            count += line.find(containing) != std::string::npos;
        }
        return count;
    }

    TemporaryFolder folder;
    ScopedEnvironment environment;
    std::filesystem::path quillstone;
    std::filesystem::path script;
};

TEST_P(BackupMonitorScriptTest, EachCopyKeepsOneEntryInTheStatusAppsFormat) {
    // SuperDuper! runs the script as root; the file must stay the folder owner's.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(quillstone.c_str(), 4321, 4321), 0);
        // The script runs as that owner, who must reach the destination to measure it.
        std::filesystem::permissions(folder.path(), std::filesystem::perms(0755));
    }
    auto before = formatInternetDateTime(std::chrono::system_clock::now());
    auto first = copyFinished("Macintosh HD", "Backup");
    ASSERT_EQ(first.status, 0) << first.errors;
    auto after = formatInternetDateTime(std::chrono::system_clock::now());

    auto document = strictlyRead();
    ASSERT_EQ(document.backups.size(), 1u);
    const auto& entry = document.backups[0];
    EXPECT_EQ(entry.id, "classic:Macintosh HD:Backup:Backup - all files");
    EXPECT_EQ(entry.name, "Macintosh HD → Backup");
    EXPECT_EQ(entry.status, "SUCCESS");
    EXPECT_TRUE(std::regex_match(entry.completedAt, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
    EXPECT_TRUE(before <= entry.completedAt && entry.completedAt <= after) << entry.completedAt;
    EXPECT_TRUE(std::regex_match(entry.freeSpace.value_or(""), std::regex(R"(\d+\.\dTi|\d+Gi|\d+Mi)")))
        << entry.freeSpace.value_or("(none)");
    // Byte for byte what the system's own writer prints: sorted keys, "key" : value.
    EXPECT_EQ(readText(statusFile()), prettyJson(status()) + "\n");
    struct stat info {};
    ASSERT_EQ(::stat(statusFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    EXPECT_EQ(info.st_uid, asRoot ? 4321u : ::geteuid());

    // A second copy adds its own entry; a copy run again replaces only its own.
    ASSERT_EQ(copyFinished("Macintosh HD", "offsite", "Smart Update").status, 0);
    auto firstEntry = status()["backups"][0];
    ASSERT_EQ(copyFinished("Macintosh HD", "offsite", "Smart Update").status, 0);
    document = strictlyRead();
    ASSERT_EQ(document.backups.size(), 2u);
    EXPECT_EQ(status()["backups"][0], firstEntry);
    EXPECT_EQ(document.backups[1].id, "classic:Macintosh HD:offsite:Smart Update");
    EXPECT_EQ(logLines("status written for: Macintosh HD → "), 3u);

    // Without the volume names the script cannot tell which copy ran.
    auto unchanged = readText(statusFile());
    auto bare = ProgramRun::of(script, {});
    EXPECT_EQ(bare.status, 64);
    EXPECT_EQ(readText(statusFile()), unchanged);
    EXPECT_EQ(logLines("status not written: "), 1u);
}

TEST_P(BackupMonitorScriptTest, KeepsEveryOtherEntryAndKeyItCanRead) {
    auto sd4 = json::parse(R"({"id": "1F6C2A52", "name": "nightly", "status": "FAILED",
        "completedAt": "2025-01-31T22:04:05Z", "freeSpace": "", "source": "Macintosh HD", "sourcePath": "\/",
        "destination": "Clone", "destinationPath": "", "copyScript": "SuperDuper! 4", "runID": "R-1",
        "outcome": "wrong_drive", "summary": "Wrong \"drive\"\n\u00e9", "isCatchup": false, "succeeded": false,
        "bytesCopied": 9007199254740993, "deferredCount": 0})");
    json other = {{"id", "X"}, {"name", "Zeta"}, {"status", "SUCCESS"}, {"completedAt", "yesterday"}, {"extra", {{"b", {1, 2.5, nullptr}}, {"a", json::object()}}}};
    json original = {{"backups", {sd4, other}}, {"phone", {{"lastSeen", "x"}, {"flags", json::array()}}}, {"note", true}};
    // Compact on one line, with the same copy's earlier entry in other escapes.
    const std::string earlier = R"({"id": "classic:Data:Back\/up:", "name": "Data \u2192 Back\/up",
                                   "status": "SUCCESS", "completedAt": "2020-01-01T00:00:00Z"})";
    auto compact = original.dump();
    writeText(statusFile(), compact.insert(compact.find(R"(],"note":)"), "," + earlier));

    ASSERT_EQ(ProgramRun::of(script, {"Data", "/", "Back/up"}).status, 0);
    auto merged = status();
    ASSERT_EQ(merged["backups"].size(), 3u);
    EXPECT_EQ(merged["backups"][0]["id"], "classic:Data:Back/up:");
    EXPECT_EQ(merged["backups"][0]["freeSpace"], "");
    EXPECT_NE(merged["backups"][0]["completedAt"], "2020-01-01T00:00:00Z");
    merged["backups"].erase(0);
    EXPECT_EQ(merged, original);

    // An older single-entry file becomes the first entry.
    writeText(statusFile(), other.dump(2));
    ASSERT_EQ(copyFinished("A", "B").status, 0);
    EXPECT_EQ(status()["backups"][1], other);
}

// Only the system's awk: these runs are about the file and the lock, not the parser.
class BackupMonitorScriptRunsTest : public BackupMonitorScriptTest {
protected:
    std::unique_ptr<ChildProcess> launchQuietly(const std::vector<std::string>& arguments) const {
        auto run = std::make_unique<ChildProcess>(script, arguments);
        run->setStandardOutput(ChildProcess::Stream::null);
        run->setStandardError(ChildProcess::Stream::null);
        run->launch();
        return run;
    }
};

TEST_P(BackupMonitorScriptRunsTest, AKilledRunLeavesTheOldOrTheNewFileAndHundredRunsOneEntryPerCopy) {
    ASSERT_EQ(copyFinished("Macintosh HD", "Backup").status, 0);
    for (int attempt = 0; attempt < 12; ++attempt) {
        auto run = launchQuietly(
            {"Source " + std::to_string(attempt % 3), "/", "Backup", folder.path().string()});
        std::this_thread::sleep_for(std::chrono::milliseconds(attempt * 8));
        ::kill(run->processIdentifier(), SIGKILL);
        run->waitUntilExit();
        ASSERT_TRUE(StatusDocument::decode(readText(statusFile()))) << "after a kill at " << attempt * 8 << " ms";
    }

    // Ten at a time, as copies finishing together would: the lock of a killed run
    // is taken over and no run loses another's entry.
    auto writtenBefore = logLines("status written for: Source ");
    for (int batch = 0; batch < 10; ++batch) {
        std::vector<std::unique_ptr<ChildProcess>> runs;
        for (int index = 0; index < 10; ++index) {
            runs.push_back(launchQuietly({"Source " + std::to_string(index % 5), "/", "Backup"}));
        }
        for (auto& run : runs) {
            run->waitUntilExit();
            EXPECT_EQ(run->terminationStatus(), 0);
        }
    }
    std::set<std::string> ids;
    for (const auto& entry : strictlyRead().backups) {
        ids.insert(entry.id);
    }
    EXPECT_EQ(ids.size(), 6u);
    EXPECT_EQ(strictlyRead().backups.size(), 6u);
    EXPECT_EQ(logLines("status written for: Source ") - writtenBefore, 100u);
    for (const auto& item : std::filesystem::directory_iterator(quillstone)) {
        EXPECT_NE(item.path().filename().string().rfind(".backup_status", 0), 0u) << item.path();
    }
}

// Files only root may touch, for links planted in the status folder to point at.
class RootOnlyFiles {
public:
    explicit RootOnlyFiles(const std::filesystem::path& folder) : folder_(folder) {
        std::filesystem::create_directories(folder_ / "dir");
        for (int index = 0; index < 4; ++index) {
            writeText(file(index), index == 0 ? R"({"backups": [], "secret": "root only"})" : "root only\n");
            std::filesystem::permissions(file(index), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        }
        before_ = snapshot();
    }
    std::filesystem::path file(int index) const { return folder_ / ("decoy-" + std::to_string(index)); }
    std::filesystem::path dir() const { return folder_ / "dir"; }
    // Name, owner, mode and content of everything there.
    std::string snapshot() const {
        std::string state;
        for (const auto& item : std::filesystem::recursive_directory_iterator(folder_)) {
            struct stat info {};
            ::lstat(item.path().c_str(), &info);
            state += item.path().string() + " " + std::to_string(info.st_uid) + ":" + std::to_string(info.st_gid) + " " +
                     std::to_string(info.st_mode) + " " + (S_ISREG(info.st_mode) ? readText(item.path()) : "") + "\n";
        }
        return state;
    }
    const std::string& before() const { return before_; }

private:
    std::filesystem::path folder_;
    std::string before_;
};

// SuperDuper! Classic runs the script as root; the folder belongs to an
// unprivileged user who may plant links there and swap files at any moment.
class BackupMonitorHostileFolderTest : public BackupMonitorScriptTest {
protected:
    void SetUp() override {
        BackupMonitorScriptTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        if (::geteuid() != 0) {
            GTEST_SKIP() << "runs the script as root";
        }
        auto* user = ::getpwnam("nobody");
        ASSERT_NE(user, nullptr);
        owner = user->pw_uid;
        group = user->pw_gid;
        giveToOwner(quillstone);
        std::filesystem::create_directory(quillstone / "logs");
        giveToOwner(quillstone / "logs");
    }
    // The run stops before writing anything, saying why.
    void expectRefused(const std::string& reason) {
        auto run = copyFinished("Macintosh HD", "Backup");
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.errors.find(reason), std::string::npos) << run.errors;
    }
    void giveToOwner(const std::filesystem::path& path) const { ASSERT_EQ(::lchown(path.c_str(), owner, group), 0) << path; }
    void plant(const std::filesystem::path& target, const std::filesystem::path& link) const {
        std::filesystem::create_symlink(target, link);
        giveToOwner(link);
    }
    uid_t owner = 0;
    gid_t group = 0;
};

TEST_P(BackupMonitorHostileFolderTest, LinksPlantedInTheFolderAreNeitherFollowedNorHandedOver) {
    RootOnlyFiles decoys(folder / "root-only");
    plant(decoys.file(0), statusFile());
    plant(decoys.file(1), quillstone / "logs/BackupMonitor.log");
    plant(decoys.dir(), quillstone / ".backup_status.lock");
    for (auto second = std::time(nullptr); second < std::time(nullptr) + 60; ++second) {
        plant(decoys.file(2), quillstone / ("backup_status.json.unreadable-" + std::to_string(second)));
    }
    long lastProcess = std::stol(readText("/proc/sys/kernel/ns_last_pid"));
    for (long process = lastProcess + 1; process < lastProcess + 400; ++process) {
        plant(decoys.file(3), quillstone / (".backup_status.json." + std::to_string(process)));
    }
    auto run = copyFinished("Macintosh HD", "Backup");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(decoys.snapshot(), decoys.before());
    EXPECT_EQ(readText(statusFile()).find("secret"), std::string::npos);
    EXPECT_EQ(strictlyRead().backups.size(), 1u);
    struct stat info {};
    ASSERT_EQ(::lstat(statusFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_uid, owner);

    // A script others could have changed, the folder swapped for a link by its
    // parent's owner, or a root folder others may write to: refused, nothing
    // written anywhere.
    std::filesystem::permissions(script, std::filesystem::perms(0775));
    expectRefused("must be a file only root can change");
    std::filesystem::permissions(script, std::filesystem::perms(0755));
    auto moved = quillstone.string() + ".moved";
    std::filesystem::rename(quillstone, moved);
    auto elsewhere = folder / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    std::filesystem::create_directory_symlink(elsewhere, quillstone);
    script = std::filesystem::path(moved) / "BackupMonitor.sh";
    expectRefused("is a link or was replaced");
    std::filesystem::remove(quillstone);
    std::filesystem::create_directory(quillstone);
    std::filesystem::permissions(quillstone, std::filesystem::perms::all);
    expectRefused("belongs to root but others may write to it");
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
    EXPECT_TRUE(std::filesystem::is_empty(quillstone));
    EXPECT_EQ(decoys.snapshot(), decoys.before());
}

// Whatever the script cannot merge stays beside the new file, byte for byte.
TEST_P(BackupMonitorHostileFolderTest, AnUnreadableTooDeepOrTooLargeDocumentIsKeptAsideAndTheRunWritten) {
    const std::string padded = R"({"backups": [], "pad": ")";
    for (const auto& document : {std::string(R"({"backups": [ {"id": )"), std::string("[1, 2]"),
                                 std::string(R"({"backups": ["x"], "k": 1})"),
                                 R"({"backups": [], "deep": )" + std::string(10000, '[') +
                                     std::string(10000, ']') + "}",
                                 R"({"backups": [], "deep": )" + std::string(1000000, '[') + std::string(1000000, ']') + "}",
                                 padded + std::string(8388609 - padded.size() - 3, 'x') + "\"}\n"}) {
        writeText(statusFile(), document);
        giveToOwner(statusFile());
        auto run = copyFinished("Macintosh HD", "Backup");
        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_LT(std::filesystem::file_size(statusFile()), 1000000u);
        EXPECT_EQ(strictlyRead().backups.size(), 1u);
        auto kept = keptAside();
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(readText(kept[0]) == document, true) << kept[0];
        std::filesystem::remove(kept[0]);
    }
    EXPECT_EQ(logLines("nested deeper than 512 levels"), 2u);
    EXPECT_EQ(logLines("larger than 8388608 bytes"), 1u);
}

class BackupMonitorRacedFolderTest : public BackupMonitorHostileFolderTest {
protected:
    // The owner swaps every file and folder it sees for a link, round after round.
    pid_t startRacer(const RootOnlyFiles& decoys) const {
        pid_t racer = ::fork();
        if (racer != 0) {
            return racer;
        }
        if (::chdir(quillstone.c_str()) != 0 || ::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(owner) != 0) {
            ::_exit(1);
        }
        for (unsigned round = 0;; ++round) {
            for (const std::string where : {".", "logs", ".backup_status.lock"}) {
                DIR* listing = ::opendir(where.c_str());
                if (listing == nullptr) {
                    continue;
                }
                for (dirent* item; (item = ::readdir(listing)) != nullptr;) {
                    std::string name = item->d_name;
                    if (name == "." || name == ".." || name == "BackupMonitor.sh" || name.rfind(".swap", 0) == 0) {
                        continue;
                    }
                    auto path = where + "/" + name;
                    struct stat info {};
                    if (::lstat(path.c_str(), &info) != 0 || S_ISLNK(info.st_mode)) {
                        continue;
                    }
                    if (S_ISDIR(info.st_mode)) {
                        ::rename(path.c_str(), (".swap-" + std::to_string(round)).c_str());
                    }
                    auto target = S_ISDIR(info.st_mode) ? decoys.dir() : decoys.file(round % 4);
                    ::symlink(target.c_str(), ".swap");
                    ::rename(".swap", path.c_str());
                }
                ::closedir(listing);
            }
            ::usleep(200);
        }
    }
};

TEST_P(BackupMonitorRacedFolderTest, AnOwnerSwappingFilesForLinksDuringFiftyRunsReachesNoRootOnlyFile) {
    RootOnlyFiles decoys(folder / "root-only");
    ASSERT_EQ(copyFinished("Macintosh HD", "Backup").status, 0);
    pid_t racer = startRacer(decoys);
    int written = 0;
    for (int index = 0; index < 50; ++index) {
        written += copyFinished("Source " + std::to_string(index % 4), "Backup").status == 0;
    }
    ::kill(racer, SIGKILL);
    ::waitpid(racer, nullptr, 0);
    EXPECT_EQ(decoys.snapshot(), decoys.before());
    std::cout << written << " of 50 runs wrote the status file while the owner swapped files" << std::endl;
}

const auto awkName = [](const auto& info) { return info.param == "mawk" ? std::string("mawk") : std::string("oneTrueAwk"); };
INSTANTIATE_TEST_SUITE_P(SystemAwk, BackupMonitorScriptRunsTest, ::testing::Values("awk"));
INSTANTIATE_TEST_SUITE_P(SystemAwk, BackupMonitorRacedFolderTest, ::testing::Values("awk"));
INSTANTIATE_TEST_SUITE_P(Awk, BackupMonitorScriptTest, ::testing::Values("mawk", "original-awk"), awkName);
INSTANTIATE_TEST_SUITE_P(Awk, BackupMonitorHostileFolderTest, ::testing::Values("mawk", "original-awk"), awkName);

} // namespace
