// kadrix-module-version FILE...: prints the version record embedded in each module file, so a
// module's version can be checked without loading it. Exits with 1 when a file has none.
#include <cstdio>

#include "kadrix/platform/framework_registry.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kadrix-module-version FILE...\n");
        return 2;
    }
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        const auto record = kadrix::platform::readVersionRecord(argv[i]);
        if (!record) {
            std::fprintf(stderr, "%s\n", record.message().c_str());
            result = 1;
            continue;
        }
        std::printf("%s\tfile %s\tproduct %s\n", argv[i], record->file.text().c_str(),
                    record->product.text().c_str());
    }
    return result;
}
