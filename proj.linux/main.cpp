#include <cstdio>

int main() {
    std::puts("PavluneCards: the screens are not built yet; see README.md.");
    return 0;
}
