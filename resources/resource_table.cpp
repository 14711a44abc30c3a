#include "resources/resource_table.h"

extern const unsigned char glyphSheetData[];
extern const unsigned long glyphSheetDataSize;
extern const unsigned char spriteSheetData[];
extern const unsigned long spriteSheetDataSize;

bool findResource(int resourceId, const unsigned char** bytes, unsigned long* size) {
    switch (resourceId) {
    case 102: *bytes = glyphSheetData; *size = glyphSheetDataSize; return true;
    case 106: *bytes = spriteSheetData; *size = spriteSheetDataSize; return true;
    default: return false;
    }
}
