// SLPv2 messages on the wire: the common header and the bodies of the eleven
// message types, encoded and decoded field by field in network byte order.
//
// The decoder trusts nothing: every length is checked against the datagram
// before it is used, the header's length must equal the datagram's size,
// strings may hold no NUL byte, authentication blocks and extensions must lie
// inside the message, and a message must end where its body ends (or where
// its first extension starts). A message that fails any check is refused as a
// whole; the decoded views point into the caller's buffer.
#pragma once

#include "kernel/l_types.h"

#include <string>
#include <string_view>
#include <vector>

enum SLP_FUNCTION : U8 {
    SLP_FN_SRVRQST = 1,
    SLP_FN_SRVRPLY = 2,
    SLP_FN_SRVREG = 3,
    SLP_FN_SRVDEREG = 4,
    SLP_FN_SRVACK = 5,
    SLP_FN_ATTRRQST = 6,
    SLP_FN_ATTRRPLY = 7,
    SLP_FN_DAADVERT = 8,
    SLP_FN_SRVTYPERQST = 9,
    SLP_FN_SRVTYPERPLY = 10,
    SLP_FN_SAADVERT = 11
};

// Error codes carried in replies.
enum SLP_WIRE_ERROR : U16 {
    SLP_WE_OK = 0,
    SLP_WE_LANGUAGE_NOT_SUPPORTED = 1,
    SLP_WE_PARSE_ERROR = 2,
    SLP_WE_INVALID_REGISTRATION = 3,
    SLP_WE_SCOPE_NOT_SUPPORTED = 4,
    SLP_WE_AUTHENTICATION_UNKNOWN = 5,
    SLP_WE_AUTHENTICATION_ABSENT = 6,
    SLP_WE_AUTHENTICATION_FAILED = 7,
    SLP_WE_VER_NOT_SUPPORTED = 9,
    SLP_WE_INTERNAL_ERROR = 10,
    SLP_WE_DA_BUSY_NOW = 11,
    SLP_WE_OPTION_NOT_UNDERSTOOD = 12,
    SLP_WE_INVALID_UPDATE = 13,
    SLP_WE_MSG_NOT_SUPPORTED = 14,
    SLP_WE_REFRESH_REJECTED = 15
};

// Flags in the first byte of the header's flag field.
constexpr U8 SLP_FLAG_OVERFLOW = 0x80;
constexpr U8 SLP_FLAG_FRESH = 0x40;
constexpr U8 SLP_FLAG_MCAST = 0x20;

constexpr U8 SLP_VERSION = 2;
constexpr size_t SLP_HEADER_FIXED = 14; // header without the language tag
constexpr U16 SLP_NA_ALL = 0xFFFF;      // naming-authority length meaning "every one"

typedef struct {
    U8 u8Function;
    U8 u8Flags;        // the defined flag bits only
    U16 u16Xid;
    std::string_view Lang;
    size_t nLength;    // whole message
    size_t nExtOffset; // first extension, 0 when none
} SLP_HEADER;

typedef struct {
    U16 u16Lifetime;
    std::string_view Url;
} SLP_URL_ENTRY;

// One decoded message. Which fields are filled depends on the function:
//   SrvRqst:     PrList, Type, Scopes, Predicate, Spi
//   SrvRply:     u16Error, Urls
//   SrvReg:      Urls[0], Type, Scopes, Attrs
//   SrvDeReg:    Scopes, Urls[0], Tags
//   SrvAck:      u16Error
//   AttrRqst:    PrList, Url (URL or service type), Scopes, Tags, Spi
//   AttrRply:    u16Error, Attrs
//   DAAdvert:    u16Error, u32BootTime, Url, Scopes, Attrs, Spi
//   SrvTypeRqst: PrList, bAllAuthorities, NamingAuthority, Scopes
//   SrvTypeRply: u16Error, Types
//   SAAdvert:    Url, Scopes, Attrs
typedef struct {
    SLP_HEADER Header;
    std::string_view PrList;
    std::string_view Type;
    std::string_view Scopes;
    std::string_view Predicate;
    std::string_view Spi;
    std::string_view Url;
    std::string_view Tags;
    std::string_view Attrs;
    std::string_view Types;
    std::string_view NamingAuthority;
    BOOLEAN bAllAuthorities;
    U16 u16Error;
    U32 u32BootTime;
    std::vector<SLP_URL_ENTRY> Urls;
} SLP_MSG;

enum SLP_DECODE_RESULT {
    SLP_DECODE_OK = 0,
    SLP_DECODE_BAD_HEADER,    // not an SLPv2 message at all: drop silently
    SLP_DECODE_BAD_VERSION,   // a header of another version
    SLP_DECODE_BAD_BODY,      // header sound (function and XID known), body not
    SLP_DECODE_MANDATORY_EXT, // an extension from the mandatory range we do not know
};

SLP_DECODE_RESULT SLP_MSG_eDecode(const U8* pData, size_t nLength, SLP_MSG* pMsg);

// Encoders append one whole message to pOut (cleared first). False when a
// field does not fit its length field.
BOOLEAN SLP_MSG_bEncodeSrvRqst(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags, std::string_view Lang,
                               std::string_view PrList, std::string_view Type,
                               std::string_view Scopes, std::string_view Predicate);
BOOLEAN SLP_MSG_bEncodeSrvRply(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags, std::string_view Lang,
                               U16 u16Error, const std::vector<SLP_URL_ENTRY>& Urls);
BOOLEAN SLP_MSG_bEncodeAttrRqst(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                std::string_view Lang, std::string_view PrList,
                                std::string_view Url, std::string_view Scopes,
                                std::string_view Tags);
BOOLEAN SLP_MSG_bEncodeAttrRply(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                std::string_view Lang, U16 u16Error, std::string_view Attrs);
// NamingAuthority is ignored when bAll is set.
BOOLEAN SLP_MSG_bEncodeSrvTypeRqst(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                   std::string_view Lang, std::string_view PrList, BOOLEAN bAll,
                                   std::string_view NamingAuthority, std::string_view Scopes);
BOOLEAN SLP_MSG_bEncodeSrvTypeRply(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                   std::string_view Lang, U16 u16Error, std::string_view Types);
BOOLEAN SLP_MSG_bEncodeSAAdvert(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                std::string_view Lang, std::string_view Url,
                                std::string_view Scopes, std::string_view Attrs);
// Registration messages go to directory agents only; they are encoded for
// tests and tools that play such a peer.
BOOLEAN SLP_MSG_bEncodeSrvReg(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags, std::string_view Lang,
                              const SLP_URL_ENTRY& Entry, std::string_view Type,
                              std::string_view Scopes, std::string_view Attrs);

// The smallest reply to a request: a header and the error code, for replies
// whose body starts with one (SrvRply, AttrRply, SrvTypeRply, SrvAck).
BOOLEAN SLP_MSG_bEncodeError(std::vector<U8>* pOut, U8 u8Function, U16 u16Xid,
                             std::string_view Lang, U16 u16Error);
