#include <QCoreApplication>

// The menu-bar panel arrives with the status application's own work; until
// then the program only proves the bundle is laid out and starts.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return 0;
}
