#include <cstdio>

int main()
{
    std::fprintf(stderr, "tideglass: not built yet\n");
    return 1;
}
