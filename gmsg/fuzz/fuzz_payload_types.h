// The payload types both fuzz targets decode with: every basic and pointer
// descriptor, the status and address payloads, the remote data-store
// payloads, and the test types that nest, recurse, version, carry large
// elements, inline strings and custom parts.
#pragma once

#include "gmsg/database_msg.h"
#include "gmsg/datatype.h"
#include "gmsg/gmsg.h"
#include "gmsg/tests/gmsg_test_types.h"

namespace fz {

inline const G_DATA_TYPE* const kPayloadTypes[] = {
    &DT_UNSIGNED64,        &DT_SIGNED64,           &DT_DOUBLE,           &DT_UNSIGNED32,      &DT_FLOAT,
    &DT_POINTER,           &DT_UNSIGNED16,         &DT_BOOLEAN,          &DT_STRING,          &DT_WSTRING,
    &DT_BUFFER,            &DT_PTR_TO_UNSIGNED64,  &DT_PTR_TO_STRING,    &DT_PTR_TO_WSTRING,  &DT_PTR_TO_BUFFER,
    &DT_PTR_TO_POINTER,    &DT_GMSG_STATUS,        &DT_GMSG_ADDRESS,     &gt::DT_T_ENUM16,    &gt::DT_T_OPAQUE6,
    &gt::DT_T_EXCLUDED8,   &gt::DT_T_FIXED_U16X3,  &gt::DT_T_DYN_U32,    &gt::DT_T_NULLTERM_U16,
    &gt::DT_T_INNER,       &gt::DT_T_DYN_INNER,    &gt::DT_T_SINK,       &gt::DT_T_PTR_SINK,  &gt::DT_T_PTR_LIST,
    &gt::DT_T_RECORD_V2,   &gt::DT_T_DYN_BIG,      &gt::DT_T_NAME8,      &gt::DT_T_PTR_CUSTOM,
    &D_GMSG_DATABASE_FETCH, &D_GMSG_DATABASE_REGISTER, &D_GMSG_DATABASE_UNREGISTER, &D_GMSG_DATABASE_UPDATE,
    &D_GMSG_DATABASE_NEW_DATA,
};

constexpr unsigned kPayloadTypeCount = sizeof kPayloadTypes / sizeof kPayloadTypes[0];

} // namespace fz
