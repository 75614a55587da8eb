// The outline reader's implementation, compiled once for the generator.
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
