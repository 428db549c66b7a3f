#include "resources/details-shortcut/DetailsShortcut.h"

#include "platform/AppleJson.h"
#include "tools/superduper4/SuperDuperRunRecord.h"

#include <nlohmann/json.hpp>

namespace quillstone {

using nlohmann::json;

namespace {
class BadRequest : public std::runtime_error {
public:
    explicit BadRequest(const std::string& detail) : std::runtime_error(DetailsShortcut::badRequestPrefix + detail) {}
};
} // namespace

DetailsShortcut::DetailsShortcut(FileManager& fileManager, std::filesystem::path runsFolder, std::ostream& err)
    : fileManager_(fileManager), runsFolder_(std::move(runsFolder)), err_(err) {}

int DetailsShortcut::run(const std::vector<std::string>& arguments) {
    std::filesystem::path input;
    std::filesystem::path output;
    for (size_t index = 0; index < arguments.size(); index += 2) {
        if (index + 1 >= arguments.size()) {
            err_ << usage;
            return 64;
        }
        if (arguments[index] == "--input-path") {
            input = arguments[index + 1];
        } else if (arguments[index] == "--output-path") {
            output = arguments[index + 1];
        } else {
            err_ << usage;
            return 64;
        }
    }
    if (input.empty() || output.empty()) {
        err_ << usage;
        return 64;
    }
    try {
        answer(input, output);
    } catch (const std::exception& error) {
        err_ << error.what() << '\n';
        return 1;
    }
    return 0;
}

void DetailsShortcut::answer(const std::filesystem::path& input, const std::filesystem::path& output) {
    json request = json::parse(fileManager_.readFile(input), nullptr, false);
    if (!request.is_object()) {
        throw BadRequest("not a JSON object.");
    }
    auto version = request.find("version");
    if (version == request.end() || !version->is_number_integer() || version->get<int64_t>() != 1) {
        throw BadRequest("\"version\" is not 1.");
    }
    for (const char* key : {"copy_job_id", "run_id"}) {
        if (!request.contains(key) || !request[key].is_string()) {
            throw BadRequest(std::string("\"") + key + "\" is not a string.");
        }
    }
    auto record = SuperDuperRunRecord::load(fileManager_, runsFolder_, request["run_id"].get<std::string>());
    if (record.copyJobID != request["copy_job_id"].get<std::string>()) {
        throw std::runtime_error(otherJobPrefix + record.copyJobID);
    }
    fileManager_.replaceAtomically(output, compactJson(record.answer()), 0644);
}

} // namespace quillstone
