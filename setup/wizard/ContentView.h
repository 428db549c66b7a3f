#pragma once

#include "setup/model/QuillstoneConfigurationStore.h"

#include <QWidget>

namespace quillstone {

// The wizard's root view, 940 by 720.
class ContentView : public QWidget {
public:
    static constexpr int width = 940;
    static constexpr int height = 720;
    static constexpr const char* title = "Quillstone Setup";

    explicit ContentView(QuillstoneConfigurationStore& configurationStore, QWidget* parent = nullptr);

    QuillstoneConfigurationStore& configurationStore() const { return configurationStore_; }

private:
    QuillstoneConfigurationStore& configurationStore_;
};

} // namespace quillstone
