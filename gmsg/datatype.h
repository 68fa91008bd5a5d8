// Payload descriptors and the standard serializer.
//
// A G_DATA_TYPE describes one payload type: its format, its in-memory size
// and alignment on this machine, its unit, its version and the functions
// that turn it into bytes and back. Descriptors nest through their member
// list. The serialized form is packed (no padding) and little-endian; the
// in-memory form follows this machine (pointers and the records that hold
// them are 8 bytes wide here, 4 bytes on the wire).
//
// Rules of the standard functions:
// - every call takes the descriptor last and returns the number of bytes
//   written or consumed (0 for the deallocator), or a negative DATATYPE_ERR_;
// - the serializer computes the exact length first and refuses (-10) before
//   writing a byte when the room is too small;
// - the deserializer never reads beyond *pnRemaining, checks every count and
//   length against the bytes left before allocating, and on failure frees
//   everything it allocated, so a failed value holds nothing;
// - a value is freed with its descriptor's pfDeallocate.
#pragma once

#include "kernel/l_types.h"

typedef enum tag_G_DATA_FORMAT {
    G_DF_UNDEFINED = 0,
    G_DF_UNSIGNED64 = 1,
    G_DF_SIGNED64 = 2,
    G_DF_DOUBLE = 3,
    G_DF_UNSIGNED32 = 4,
    G_DF_SIGNED32 = 5,
    G_DF_ENUM = 6,
    G_DF_FLOAT = 7,
    G_DF_VOID_POINTER = 8,
    G_DF_BOOLEAN = 9,
    G_DF_UNSIGNED16 = 10,
    G_DF_SIGNED16 = 11,
    G_DF_UNSIGNED8 = 12,
    G_DF_SIGNED8 = 13,
    G_DF_STRING = 14,
    G_DF_WSTRING = 15,
    G_DF_BUFFER = 16,
    G_DF_OPAQUE = 17,
    G_DF_EXCLUDED = 18,
    G_DF_FIXED_ARRAY = 19,
    G_DF_DYNAMIC_ARRAY = 20,
    G_DF_NULL_TERM_PTR_ARRAY = 21,
    G_DF_POINTER_TO_TYPE = 22,
    G_DF_STRUCT = 23,
    G_DF_CUSTOM = 24,
    G_DATA_FORMAT_COUNT = 25
} G_DATA_FORMAT;

typedef enum tag_G_DATA_UNIT {
    G_DU_NONE = 0,
    G_DU_METERS,
    G_DU_STAT_MILES,
    G_DU_NAUT_MILES,
    G_DU_KM,
    G_DU_INCH,
    G_DU_FEET,
    G_DU_FATHOMS,
    G_DU_MPS,
    G_DU_KNOTS,
    G_DU_MPH,
    G_DU_KPH,
    G_DU_SECONDS,
    G_DU_MINUTES,
    G_DU_HOURS,
    G_DU_DAYS,
    G_DU_HECTOPASCALS,
    G_DU_MILLIBAR,
    G_DU_INCHESHG,
    G_DU_MMHG,
    G_DU_M3,
    G_DU_LITERS,
    G_DU_USGALLONS,
    G_DU_UKGALLONS,
    G_DU_VOLTS,
    G_DU_AMPERES,
    G_DU_MILLIAMPERES,
    G_DU_CELSIUS,
    G_DU_FAHRENHEIT,
    G_DU_DEG_TRUE,
    G_DU_DEG_PER_MINUTE,
    G_DU_DEG_LATITUDE,
    G_DU_DEG_LONGITUDE,
    G_DATA_UNIT_COUNT = 33
} G_DATA_UNIT;

typedef enum tag_G_DATA_DIMENSION {
    G_DD_SCALAR = 0,
    G_DD_DISTANCE_DEPTH_ALTITUDE,
    G_DD_SPEED,
    G_DD_TIME,
    G_DD_PRESSURE,
    G_DD_VOLUME,
    G_DD_POTENTIAL,
    G_DD_CURRENT,
    G_DD_TEMPERATURE,
    G_DD_HEADING,
    G_DD_RATEOFTURN,
    G_DD_LATITUDE,
    G_DD_LONGITUDE,
    G_DATA_DIMENSION_COUNT = 13
} G_DATA_DIMENSION;

typedef enum tag_ALIGN_TYPE {
    ALIGN_MEMORY = 0, // where the value itself lies
    ALIGN_STRUCT = 1  // as a member of a struct
} ALIGN_TYPE;

typedef struct tag_DATA_UNIT_CONVERSION_INFO {
    double dConversionRatio;  // base value = value x ratio + offset
    double dConversionOffset;
} DATA_UNIT_CONVERSION_INFO;

// Results of the standard functions.
enum {
    DATATYPE_ERR_LENGTH = -1,    // bytes written differ from the computed length
    DATATYPE_ERR_VERSION = -2,   // struct version neither current nor previous
    DATATYPE_ERR_NO_MEMORY = -3, // the allocator gave no memory
    DATATYPE_ERR_FORMAT = -4,    // format or member list not handled
    DATATYPE_ERR_XML_WRITE = -6,
    DATATYPE_ERR_XML_READ = -7,
    DATATYPE_ERR_ALIGNMENT = -8, // value not aligned as its descriptor requires
    DATATYPE_ERR_NO_ROOM = -10,  // the output has less room than the length
    // The serialized data is malformed: it ends before the value it announces,
    // a count or length exceeds the bytes left, or a null-terminated array
    // carries a null element.
    DATATYPE_ERR_MALFORMED = -11,
    // The value exceeds what this unit can hold: a block larger than the
    // allocator's largest, a string longer than its fixed field, or nesting
    // deeper than DATATYPE_MAX_DEPTH.
    DATATYPE_ERR_LIMIT = -12
};

// Wire constants.
constexpr U32 DATATYPE_POINTER_MARKER = 0x87654321u; // a non-null pointer follows
// The largest block the program heap hands out; no single allocation of the
// serializer asks for more.
constexpr U32 DATATYPE_MAX_BLOCK = 960096u;
// How deeply values may nest (pointers, arrays, structs) in received data.
constexpr int DATATYPE_MAX_DEPTH = 64;

struct __tag_G_DATA_TYPE;
typedef struct __tag_G_DATA_TYPE G_DATA_TYPE;
typedef struct tag_GXML_WRITER GXML_WRITER; // no XML form is built
typedef struct tag_GXML_READER GXML_READER;

typedef int (*DATA_SERIALIZE_FP)(void* pvStruct, void** ppvSerialized, int* pnRemaining, int* pnSize,
                                 const G_DATA_TYPE* pDataType);
typedef int (*DATA_DESERIALIZE_FP)(void** ppvStruct, void* pvSerialized, int* pnRemaining, int* pnSize,
                                   const G_DATA_TYPE* pDataType);
typedef int (*DATA_LENGTH_FP)(void* pvStruct, const G_DATA_TYPE* pDataType);
typedef int (*DATA_DEALLOCATE_FP)(void* pvStruct, BOOLEAN bTypeAllocated, const G_DATA_TYPE* pDataType);
typedef int (*DATA_ALIGNMENT_FP)(ALIGN_TYPE eAlignType, const G_DATA_TYPE* pDataType);
// Converts pvOld, read in the older layout pOldType, into pvTarget of the
// current layout pCurrentType. A negative result fails the read; the old
// value is then freed with everything inside it, so a failing conversion
// must leave it untouched. On success only the old value's block is freed:
// the conversion takes over (or frees) what it holds.
typedef int (*DATA_VERSION_CONVERT_FP)(void* pvTarget, void* pvOld, const G_DATA_TYPE* pCurrentType,
                                       const G_DATA_TYPE* pOldType);
typedef int (*DATA_XML_WRITE_FP)(void* pvStruct, GXML_WRITER* pWriter, const char* pcName,
                                 const G_DATA_TYPE* pDataType);
typedef int (*DATA_XML_READ_FP)(void** ppvStruct, GXML_READER* pReader, const G_DATA_TYPE* pDataType);

struct __tag_G_DATA_TYPE {
    const char* pTypeId;
    G_DATA_FORMAT eDataFormat;
    G_DATA_UNIT eDataUnit;
    int nVersion;
    const G_DATA_TYPE* pPreviousVersionType;
    DATA_VERSION_CONVERT_FP pfVersionConvert;
    int nSizeofType; // in memory, on this machine
    int nAlignment;  // of G_DF_OPAQUE and G_DF_EXCLUDED values
    DATA_SERIALIZE_FP pfSerialize;
    DATA_DESERIALIZE_FP pfDeserialize;
    DATA_LENGTH_FP pfLength;
    DATA_DEALLOCATE_FP pfDeallocate;
    DATA_ALIGNMENT_FP pfAlignment;
    DATA_XML_WRITE_FP pfXmlWrite;
    DATA_XML_READ_FP pfXmlRead;
    const char** pcXmlNames;
    const G_DATA_TYPE* const* DataTypes; // null-terminated members, element or pointee
};

// In-memory forms of the formats that hold a pointer.
typedef struct tag_C_BUFFER {
    int nSize;
    void* pData;
} C_BUFFER;

typedef struct tag_G_DYNAMIC_ARRAY {
    int nCount;       // 0 or below: no elements
    void* pvElements; // nCount elements of the element type, back to back
} G_DYNAMIC_ARRAY;

// Display names and unit tables.
extern const char* const gDATATYPE_DataFormatString[G_DATA_FORMAT_COUNT];
extern const char* const gDATATYPE_DataUnitString[G_DATA_UNIT_COUNT];
extern const char* const gDATATYPE_DataDimensionString[G_DATA_DIMENSION_COUNT];
extern const G_DATA_UNIT gDATATYPE_BaseDataUnit[G_DATA_DIMENSION_COUNT];

// Standard functions.
int DATATYPE_nStandardAlignment(ALIGN_TYPE eAlignType, const G_DATA_TYPE* pDataType);
int DATATYPE_nStandardSerializedLength(void* pvStruct, const G_DATA_TYPE* pDataType);
int DATATYPE_nStandardSerializer(void* pvStruct, void** ppvSerialized, int* pnRemaining, int* pnSize,
                                 const G_DATA_TYPE* pDataType);
int DATATYPE_nStandardDeserializer(void** ppvStruct, void* pvSerialized, int* pnRemaining, int* pnSize,
                                   const G_DATA_TYPE* pDataType);
int DATATYPE_nStandardDeallocator(void* pvStruct, BOOLEAN bTypeAllocated, const G_DATA_TYPE* pDataType);
int DATATYPE_nStandardXmlWriter(void* pvStruct, GXML_WRITER* pWriter, const char* pcName,
                                const G_DATA_TYPE* pDataType);
int DATATYPE_nStandardXmlReader(void** ppvStruct, GXML_READER* pReader, const G_DATA_TYPE* pDataType);

BOOLEAN DATATYPE_bCompatibleTypes(const G_DATA_TYPE* pDataType1, const G_DATA_TYPE* pDataType2);

double DATATYPE_dConvertUnitToUnit(double dValue, G_DATA_UNIT eUnitFrom, G_DATA_UNIT eUnitTo);
double DATATYPE_dConvertDataToUnit(double dValue, const G_DATA_TYPE* pDataTypeFrom, G_DATA_UNIT eUnitTo);
double DATATYPE_dConvertUnitToData(double dValue, G_DATA_UNIT eUnitFrom, const G_DATA_TYPE* pDataTypeTo);

// A descriptor with the standard functions, for payload owners:
//   const G_DATA_TYPE DT_FOO = DATATYPE_Standard("DT_FOO", G_DF_STRUCT, sizeof(FOO), s_FooMembers, 1);
constexpr G_DATA_TYPE DATATYPE_Standard(const char* pTypeId, G_DATA_FORMAT eFormat, int nSizeofType,
                                        const G_DATA_TYPE* const* pMembers = nullptr, int nVersion = 0,
                                        G_DATA_UNIT eUnit = G_DU_NONE, int nAlignment = 0)
{
    return G_DATA_TYPE{pTypeId,
                       eFormat,
                       eUnit,
                       nVersion,
                       nullptr,
                       nullptr,
                       nSizeofType,
                       nAlignment,
                       DATATYPE_nStandardSerializer,
                       DATATYPE_nStandardDeserializer,
                       DATATYPE_nStandardSerializedLength,
                       DATATYPE_nStandardDeallocator,
                       DATATYPE_nStandardAlignment,
                       DATATYPE_nStandardXmlWriter,
                       DATATYPE_nStandardXmlReader,
                       nullptr,
                       pMembers};
}

// Basic descriptors.
extern const G_DATA_TYPE DT_DEFAULT;
extern const G_DATA_TYPE DT_UNSIGNED64;
extern const G_DATA_TYPE DT_SIGNED64;
extern const G_DATA_TYPE DT_DOUBLE;
extern const G_DATA_TYPE DT_UNSIGNED32;
extern const G_DATA_TYPE DT_SIGNED32;
extern const G_DATA_TYPE DT_FLOAT;
extern const G_DATA_TYPE DT_POINTER;
extern const G_DATA_TYPE DT_UNSIGNED16;
extern const G_DATA_TYPE DT_SIGNED16;
extern const G_DATA_TYPE DT_UNSIGNED8;
extern const G_DATA_TYPE DT_SIGNED8;
extern const G_DATA_TYPE DT_BOOLEAN;
extern const G_DATA_TYPE DT_STRING;
extern const G_DATA_TYPE DT_WSTRING;
extern const G_DATA_TYPE DT_BUFFER;

extern const G_DATA_TYPE DT_PTR_TO_UNSIGNED64;
extern const G_DATA_TYPE DT_PTR_TO_SIGNED64;
extern const G_DATA_TYPE DT_PTR_TO_DOUBLE;
extern const G_DATA_TYPE DT_PTR_TO_UNSIGNED32;
extern const G_DATA_TYPE DT_PTR_TO_SIGNED32;
extern const G_DATA_TYPE DT_PTR_TO_FLOAT;
extern const G_DATA_TYPE DT_PTR_TO_POINTER;
extern const G_DATA_TYPE DT_PTR_TO_UNSIGNED16;
extern const G_DATA_TYPE DT_PTR_TO_SIGNED16;
extern const G_DATA_TYPE DT_PTR_TO_UNSIGNED8;
extern const G_DATA_TYPE DT_PTR_TO_SIGNED8;
extern const G_DATA_TYPE DT_PTR_TO_BOOLEAN;
extern const G_DATA_TYPE DT_PTR_TO_STRING;
extern const G_DATA_TYPE DT_PTR_TO_WSTRING;
extern const G_DATA_TYPE DT_PTR_TO_BUFFER;

extern const G_DATA_TYPE DT_DISTANCE;
extern const G_DATA_TYPE DT_DEPTH;
extern const G_DATA_TYPE DT_ALTITUDE;
extern const G_DATA_TYPE DT_SPEED;
extern const G_DATA_TYPE DT_TIME;
extern const G_DATA_TYPE DT_DATETIME;
extern const G_DATA_TYPE DT_PRESSURE;
extern const G_DATA_TYPE DT_VOLUME;
extern const G_DATA_TYPE DT_POTENTIAL;
extern const G_DATA_TYPE DT_CURRENT;
extern const G_DATA_TYPE DT_TEMPERATURE;
extern const G_DATA_TYPE DT_HEADING;
extern const G_DATA_TYPE DT_MAGVAR;
extern const G_DATA_TYPE DT_RATEOFTURN;
extern const G_DATA_TYPE DT_LATITUDE;
extern const G_DATA_TYPE DT_LONGITUDE;
