#include "status/QuillstoneStatusApp.h"

int main(int argc, char** argv) {
    quillstone::QuillstoneStatusApp app(argc, argv);
    return app.run();
}
