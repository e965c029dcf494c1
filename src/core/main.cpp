#include "ProgramEntry.h"

int main(int argc, char** argv) {
    return muralto::RunProgram(argc, argv);
}
