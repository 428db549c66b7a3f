#pragma once

namespace quillstone {

// Whether this program has been asked to end. Qt's quit() does nothing before
// the main loop runs, and a command waited for on the main thread sits in
// nested loops that never return to the main one: both still see the request
// here, so the children can be ended at once rather than waited for.
class QuitRequest {
public:
    // Records the request and asks the main loop to end (again, once it runs).
    static void request();
    // Only records it: the loop was already asked.
    static void record();
    static bool isRequested();
};

} // namespace quillstone
