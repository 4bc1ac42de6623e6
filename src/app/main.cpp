#include "app/commandline.h"

int main(int argc, char* argv[])
{
    return halyard::runCommandLine(argc, argv);
}
