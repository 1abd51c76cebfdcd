#include "app/program.h"

// The program takes no command-line arguments: everything comes from settings.ini.
int main() {
    korvo::runProgram();
}
