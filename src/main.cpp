// Vellmora's entry point: everything else lives in the game library.
#include <allegro.h>

#include "shell/commandline.h"
#include "shell/platform.h"
#include "shell/shell.h"

int main(int argc, char **argv)
{
    const int status = commandline(argc, argv);
    if (status >= 0)
        return status;
    platform_finddata();
    init();
    // Said through exit rather than returned: in a page main has long since returned to the
    // browser by now, and only the platform's exit ends the program there.
    platform_exit(mainsequence());
}
END_OF_MAIN()
