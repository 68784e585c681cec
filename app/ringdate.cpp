// ringdate: examine tree-ring series and correct their dating.
#include "main/driver.h"

int main() { return ringdate::run_program(); }
