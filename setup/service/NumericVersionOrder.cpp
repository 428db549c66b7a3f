#include "setup/service/NumericVersionOrder.h"

namespace quillstone {

namespace {

bool isDigit(char character) { return character >= '0' && character <= '9'; }

// Digit runs may be longer than any integer type: compare them as text
// once leading zeros are gone, the longer run being the larger number.
std::strong_ordering compareDigitRuns(std::string_view left, std::string_view right) {
    auto significant = [](std::string_view run) {
        size_t first = run.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : run.substr(first);
    };
    left = significant(left);
    right = significant(right);
    if (left.size() != right.size()) {
        return left.size() <=> right.size();
    }
    int order = left.compare(right);
    return order <=> 0;
}

std::string_view digitRunAt(std::string_view text, size_t start) {
    size_t end = start;
    while (end < text.size() && isDigit(text[end])) {
        ++end;
    }
    return text.substr(start, end - start);
}

} // namespace

std::strong_ordering compareVersionsNumerically(std::string_view left, std::string_view right) {
    size_t l = 0;
    size_t r = 0;
    while (l < left.size() && r < right.size()) {
        if (isDigit(left[l]) && isDigit(right[r])) {
            std::string_view leftRun = digitRunAt(left, l);
            std::string_view rightRun = digitRunAt(right, r);
            if (auto order = compareDigitRuns(leftRun, rightRun); order != 0) {
                return order;
            }
            l += leftRun.size();
            r += rightRun.size();
            continue;
        }
        auto leftByte = static_cast<unsigned char>(left[l]);
        auto rightByte = static_cast<unsigned char>(right[r]);
        if (leftByte != rightByte) {
            return leftByte <=> rightByte;
        }
        ++l;
        ++r;
    }
    return (left.size() - l) <=> (right.size() - r);
}

} // namespace quillstone
