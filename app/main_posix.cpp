#include "app/updater.h"
#include "platform/posix/posix_system.h"

int main(int argc, char** argv) {
    platform::posix::setCommandLine(argc, argv);
    app::runUpdater();
    return 0;
}
