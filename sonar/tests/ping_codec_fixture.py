#!/usr/bin/python3
# The network forms of one ping and the sonar service payloads, written
# with struct from their published layouts, as hex on stdout: the 276-byte
# image, the serialized ping, then the four plain payloads, one per line.
# The field values are those of the C++ test's sample ping; arguments:
# the sample count and the control change's key as a number.
import struct
import sys

samples = bytes((i * 7 + 3) & 0xFF for i in range(int(sys.argv[1]) if len(sys.argv) > 1 else 40))

fish = struct.pack('<BBxx', 2, 1)
for i in range(6):
    fish += struct.pack('<IBBBBBxxxBBBxIIII', 100 + i, i, 50 + i, 1, 0, 1, 10, 200, 0, 1000, 2000, 1500, 0)
assert len(fish) == 196

image = struct.pack('<BBBBIII', 1, 2, 20, 1, len(samples), 0, 0)
image += struct.pack('<Bxxx', 1)
image += struct.pack('<IHH', 26, 90, 40)
image += fish
image += struct.pack('<Bxxxii', 1, -1234567, 7654321)
image += struct.pack('<ff', 8.25, 1.5)
image += struct.pack('<BBBx', 12, 40, 15)
image += struct.pack('<II', 200000, 555091)
image += struct.pack('<Bxxx', 3)
image += struct.pack('<I', 77)
image += struct.pack('<Bxxx', 1)
image += struct.pack('<I', 0x00120081)
image += struct.pack('<Bxxx', 0)  # bIsLocal never leaves as set
assert len(image) == 276

serialized = struct.pack('<IBBBBI', 1, 1, 2, 20, 1, len(samples)) + samples
serialized += struct.pack('<BIHH', 1, 26, 90, 40)
serialized += struct.pack('<IBii', 1, 1, -1234567, 7654321)
serialized += struct.pack('<ffBBBIIBIBI', 8.25, 1.5, 12, 40, 15, 200000, 555091, 3, 77, 1, 0x00120081)

print((image + samples).hex())
print(serialized.hex())
print(struct.pack('<IIII', 1, 1, 55000, 2).hex())                       # request
print(struct.pack('<IIII', 1, int(sys.argv[2], 0), 0x41200000, 1).hex())  # control change
print(struct.pack('<Iff', 1, 12.5, 20.0).hex())                          # depths
print(struct.pack('<III', 1, 0x3, 15).hex())                             # transducer change
