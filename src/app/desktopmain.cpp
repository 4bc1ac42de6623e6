#include "app/desktop.h"

int main(int argc, char* argv[])
{
    return halyard::runCommandLine(argc, argv, &halyard::desktopEntry());
}
