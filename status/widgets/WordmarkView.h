#pragma once

#include <QWidget>

class QLabel;

namespace quillstone {

// The product name split between its two stems: "Quill" in white, "stone" in a
// blue-to-purple gradient, side by side in one line.
class WordmarkView : public QWidget {
public:
    static constexpr const char* firstStem = "Quill";
    static constexpr const char* secondStem = "stone";

    explicit WordmarkView(QWidget* parent = nullptr);
};

} // namespace quillstone
