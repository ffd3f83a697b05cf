// Vellmora's entry point: everything else lives in the game library.
#include <allegro.h>

#include "shell/platform.h"
#include "shell/shell.h"

int main(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    platform_finddata();
    init();
    return mainsequence();
}
END_OF_MAIN()
