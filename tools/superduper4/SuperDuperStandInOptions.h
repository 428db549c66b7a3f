#pragma once

#include "tools/superduper4/SuperDuperRunRecord.h"

#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace quillstone {

// The command line of superduper4-standin, and the notification it posts.
struct SuperDuperStandInOptions {
    class UsageError : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    static constexpr const char* help =
        "usage: superduper4-standin --job-id ID [options]\n"
        "\n"
        "Stands in for SuperDuper! 4 finishing a copy: records the run's details where the\n"
        "\"Quillstone SuperDuper Details\" Shortcut finds them ($XDG_DATA_HOME/superduper4/runs,\n"
        "else ~/.local/share/superduper4/runs) and posts com.shirtpocket.SuperDuper.runFinished\n"
        "on the session bus (path /, interface com.shirtpocket.SuperDuper, member runFinished,\n"
        "one a{sv} argument). Prints the run identifier.\n"
        "\n"
        "The run:\n"
        "  --job-id ID            copy job identifier (copy_job_id)\n"
        "  --run-id ID            run identifier (default: a new UUID)\n"
        "  --outcome VALUE        succeeded, failed, cancelled, wrong_drive or\n"
        "                         destination_not_connected (default succeeded; any text is sent)\n"
        "  --catchup              mark the run as a catch-up run\n"
        "  --ended-at-nanos N     end time in Unix nanoseconds (default: now)\n"
        "Details answered by the Shortcut:\n"
        "  --job-name NAME        (default \"Backup\")\n"
        "  --summary TEXT         (default \"Copy finished.\")\n"
        "  --source NAME          (default \"Macintosh HD\")\n"
        "  --destination NAME     (default \"Backup\")\n"
        "  --bytes-copied TEXT, --items-copied TEXT, --items-updated TEXT, --items-deleted TEXT,\n"
        "  --started-at TEXT, --ended-at TEXT, --bootable TEXT, --deferred-count TEXT\n"
        "                         optional, as SuperDuper! displays them (\"1,234 items\")\n"
        "Malformed notifications, to try the monitor by hand:\n"
        "  --raw                  post without recording the run\n"
        "  --record-only          record without posting\n"
        "  --omit KEY             leave KEY out of the notification (repeatable)\n"
        "  --as-string KEY        send KEY's value as a string (repeatable)\n"
        "  --payload-version N    the notification's version (default 1)\n"
        "  --no-payload           post the notification without any argument\n"
        "  --help                 show this text\n";

    // A notification value: the D-Bus types i, x, b and s.
    using Value = std::variant<int32_t, int64_t, bool, std::string>;

    bool showHelp = false;
    bool record = true;
    bool post = true;
    bool withPayload = true;
    int32_t payloadVersion = 1;
    bool isCatchup = false;
    std::optional<int64_t> endedAtUnixNanos;
    std::set<std::string> omitted;
    std::set<std::string> asString;
    SuperDuperRunRecord run;

    // Throws UsageError.
    static SuperDuperStandInOptions parse(const std::vector<std::string>& arguments);

    // The userInfo keys and values in the order they are listed.
    std::vector<std::pair<std::string, Value>> payload(int64_t nowUnixNanos) const;
};

} // namespace quillstone
