// Build tool: writes the program's icon as a PNG of the given size, drawn by
// the program's own painter code.
#include "programicon.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 3 || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: %s OUTPUT.png SIZE\n", argv[0]);
        return 2;
    }
    if (!ProgramIcon::image(std::atoi(argv[2])).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
