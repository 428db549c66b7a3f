#pragma once

#include <QCoreApplication>
#include <memory>

namespace quillstone::testing {

// A QCoreApplication for the lifetime of a test suite, unless one already exists.
class CoreApplicationScope {
public:
    CoreApplicationScope() {
        if (QCoreApplication::instance() == nullptr) {
            application_ = std::make_unique<QCoreApplication>(argc_, argv_);
        }
    }

private:
    int argc_ = 1;
    char name_[16] = "quillstone-test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> application_;
};

} // namespace quillstone::testing
