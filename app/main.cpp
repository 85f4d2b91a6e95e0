#include <cstdio>
int main() {
    std::puts("Talomir XII Vostrun: the game window is not built yet.");
    return 0;
}
