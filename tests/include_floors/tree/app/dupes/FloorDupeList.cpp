#include <FloorJunkPage.h>
#include <FloorTexts.h>
