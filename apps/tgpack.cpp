#include <cstdio>

int main()
{
    std::fprintf(stderr, "tgpack: not built yet\n");
    return 1;
}
