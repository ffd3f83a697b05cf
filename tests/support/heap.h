// Test support: bytes of heap in use, measured alike in plain and sanitized builds.
#pragma once

long heapinuse(); // small blocks and mapped ones; AddressSanitizer's count in its builds
