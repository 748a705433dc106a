#include "app/Startup.h"

int main(int argc, char **argv) { return tilvane::startup(argc, argv); }
