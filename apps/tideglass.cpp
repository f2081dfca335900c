#include "engine/script/form/program_start.h"

int main(int argc, char** argv)
{
    return TideglassMain(argc, argv);
}
