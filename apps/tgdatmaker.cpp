#include <cstdio>

int main()
{
    std::fprintf(stderr, "tgdatmaker: not built yet\n");
    return 1;
}
