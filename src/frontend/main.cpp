#include "frontend/Driver.h"

int main(int argc, char** argv) {
    return notecast::runDriver(argc, argv);
}
