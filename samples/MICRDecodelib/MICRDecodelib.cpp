// A sample MICR decode library: shows the interface the bench looks for.
// Its dump is a text naming itself and the file, so a reader can tell that
// the library, not the bench, wrote it. Copy MICRDecodelib.so beside Varnw
// to use it.
#include <cstdio>

extern "C" int MICR_GenerateDump(const char* path)
{
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr)
        return -1;
    std::fprintf(file, "MICRDecodelib sample dump\n%s\n", path);
    std::fclose(file);
    return 0;
}
