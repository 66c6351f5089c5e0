#include "app.h"

int main(int argc, char** argv) {
    return krender::run_kelmora_render(argc, argv);
}
