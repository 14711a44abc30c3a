// The sheets compiled into the program, found by their resource ids.
#pragma once

// Returns false (and leaves the outputs alone) for an unknown id.
bool findResource(int resourceId, const unsigned char** bytes, unsigned long* size);
