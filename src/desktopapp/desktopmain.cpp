#include "desktopapp/desktop.h"

int main(int argc, char* argv[])
{
    return halyard::runCommandLine(argc, argv, &halyard::desktopEntry());
}
