// SLPv2 message codec. Header layout (RFC 2608, section 8):
//   0  version (2)          1  function id
//   2  length, 24 bits      5  flags: O 0x80, F 0x40, R 0x20, 13 reserved bits
//   7  next extension offset, 24 bits
//   10 XID                  12 language tag length, then the tag
// Strings are a 16-bit length and that many bytes. URL entries are a reserved
// byte, the lifetime, the URL as a string and a count of authentication
// blocks. An authentication block is the BSD (2), its whole length (2), a
// timestamp (4), the SPI as a string and the rest of the block.
#include "slp/slp_msg.h"

#include <cstring>

namespace {

constexpr size_t kMaxLength = 0xFFFFFF;
constexpr U16 kExtMandatoryFirst = 0x4000;
constexpr U16 kExtMandatoryLast = 0x7FFF;
constexpr size_t kMaxExtensions = 64;

class Reader {
public:
    Reader(const U8* p, size_t n) : p_(p), n_(n) {}

    bool u8(U8* v)
    {
        if (n_ - pos_ < 1)
            return false;
        *v = p_[pos_++];
        return true;
    }
    bool u16(U16* v)
    {
        if (n_ - pos_ < 2)
            return false;
        *v = (U16)((p_[pos_] << 8) | p_[pos_ + 1]);
        pos_ += 2;
        return true;
    }
    bool u24(U32* v)
    {
        if (n_ - pos_ < 3)
            return false;
        *v = ((U32)p_[pos_] << 16) | ((U32)p_[pos_ + 1] << 8) | p_[pos_ + 2];
        pos_ += 3;
        return true;
    }
    bool u32(U32* v)
    {
        if (n_ - pos_ < 4)
            return false;
        *v = ((U32)p_[pos_] << 24) | ((U32)p_[pos_ + 1] << 16) | ((U32)p_[pos_ + 2] << 8) |
             p_[pos_ + 3];
        pos_ += 4;
        return true;
    }
    bool bytes(size_t len, std::string_view* v)
    {
        if (n_ - pos_ < len)
            return false;
        const char* s = (const char*)p_ + pos_;
        if (memchr(s, 0, len) != nullptr)
            return false;
        *v = std::string_view(s, len);
        pos_ += len;
        return true;
    }
    bool str(std::string_view* v)
    {
        U16 len;
        return u16(&len) && bytes(len, v);
    }
    bool skip(size_t len)
    {
        if (n_ - pos_ < len)
            return false;
        pos_ += len;
        return true;
    }
    size_t pos() const { return pos_; }

private:
    const U8* p_;
    size_t n_;
    size_t pos_ = 0;
};

bool readAuthBlocks(Reader& r)
{
    U8 count;
    if (!r.u8(&count))
        return false;
    for (U8 i = 0; i < count; i++) {
        size_t start = r.pos();
        U16 bsd, len;
        U32 stamp;
        std::string_view spi;
        if (!r.u16(&bsd) || !r.u16(&len) || !r.u32(&stamp) || !r.str(&spi))
            return false;
        size_t used = r.pos() - start;
        if (len < used || !r.skip(len - used))
            return false;
    }
    return true;
}

bool readUrlEntry(Reader& r, SLP_URL_ENTRY* e)
{
    U8 reserved;
    return r.u8(&reserved) && r.u16(&e->u16Lifetime) && r.str(&e->Url) && readAuthBlocks(r);
}

bool readBody(Reader& r, SLP_MSG* m)
{
    switch (m->Header.u8Function) {
    case SLP_FN_SRVRQST:
        return r.str(&m->PrList) && r.str(&m->Type) && r.str(&m->Scopes) &&
               r.str(&m->Predicate) && r.str(&m->Spi);
    case SLP_FN_SRVRPLY: {
        U16 count;
        if (!r.u16(&m->u16Error) || !r.u16(&count))
            return false;
        for (U16 i = 0; i < count; i++) {
            SLP_URL_ENTRY e;
            if (!readUrlEntry(r, &e))
                return false;
            m->Urls.push_back(e);
        }
        return true;
    }
    case SLP_FN_SRVREG: {
        SLP_URL_ENTRY e;
        if (!readUrlEntry(r, &e))
            return false;
        m->Urls.push_back(e);
        return r.str(&m->Type) && r.str(&m->Scopes) && r.str(&m->Attrs) && readAuthBlocks(r);
    }
    case SLP_FN_SRVDEREG: {
        SLP_URL_ENTRY e;
        if (!r.str(&m->Scopes) || !readUrlEntry(r, &e))
            return false;
        m->Urls.push_back(e);
        return r.str(&m->Tags);
    }
    case SLP_FN_SRVACK:
        return r.u16(&m->u16Error);
    case SLP_FN_ATTRRQST:
        return r.str(&m->PrList) && r.str(&m->Url) && r.str(&m->Scopes) && r.str(&m->Tags) &&
               r.str(&m->Spi);
    case SLP_FN_ATTRRPLY:
        return r.u16(&m->u16Error) && r.str(&m->Attrs) && readAuthBlocks(r);
    case SLP_FN_DAADVERT:
        return r.u16(&m->u16Error) && r.u32(&m->u32BootTime) && r.str(&m->Url) &&
               r.str(&m->Scopes) && r.str(&m->Attrs) && r.str(&m->Spi) && readAuthBlocks(r);
    case SLP_FN_SRVTYPERQST: {
        U16 naLen;
        if (!r.str(&m->PrList) || !r.u16(&naLen))
            return false;
        if (naLen == SLP_NA_ALL) {
            m->bAllAuthorities = TRUE;
        } else if (!r.bytes(naLen, &m->NamingAuthority)) {
            return false;
        }
        return r.str(&m->Scopes);
    }
    case SLP_FN_SRVTYPERPLY:
        return r.u16(&m->u16Error) && r.str(&m->Types);
    case SLP_FN_SAADVERT:
        return r.str(&m->Url) && r.str(&m->Scopes) && r.str(&m->Attrs) && readAuthBlocks(r);
    default:
        return false;
    }
}

// Walks the extension chain: each extension is an id (2), the offset of the
// next one (3, 0 = last) and its data up to the next extension or the end.
SLP_DECODE_RESULT checkExtensions(const U8* p, size_t n, size_t bodyEnd, size_t first)
{
    size_t offset = first;
    size_t prev = bodyEnd;
    for (size_t count = 0; offset != 0; count++) {
        if (count >= kMaxExtensions || offset < prev || offset > n || n - offset < 5)
            return SLP_DECODE_BAD_BODY;
        U16 id = (U16)((p[offset] << 8) | p[offset + 1]);
        size_t next = ((size_t)p[offset + 2] << 16) | ((size_t)p[offset + 3] << 8) | p[offset + 4];
        if (id >= kExtMandatoryFirst && id <= kExtMandatoryLast)
            return SLP_DECODE_MANDATORY_EXT;
        if (next != 0 && next < offset + 5)
            return SLP_DECODE_BAD_BODY;
        prev = offset + 5;
        offset = next;
    }
    return SLP_DECODE_OK;
}

class Writer {
public:
    explicit Writer(std::vector<U8>* out) : out_(out) { out_->clear(); }

    void u8(U8 v) { out_->push_back(v); }
    void u16(U16 v)
    {
        out_->push_back((U8)(v >> 8));
        out_->push_back((U8)v);
    }
    void u24(U32 v)
    {
        out_->push_back((U8)(v >> 16));
        out_->push_back((U8)(v >> 8));
        out_->push_back((U8)v);
    }
    void str(std::string_view s)
    {
        if (s.size() > 0xFFFF) {
            ok_ = false;
            return;
        }
        u16((U16)s.size());
        raw(s);
    }
    void raw(std::string_view s) { out_->insert(out_->end(), s.begin(), s.end()); }
    void header(U8 function, U16 xid, U8 flags, std::string_view lang)
    {
        u8(SLP_VERSION);
        u8(function);
        u24(0); // length, patched by finish()
        u8(flags & (SLP_FLAG_OVERFLOW | SLP_FLAG_FRESH | SLP_FLAG_MCAST));
        u8(0);
        u24(0);
        u16(xid);
        str(lang);
    }
    void urlEntry(const SLP_URL_ENTRY& e)
    {
        u8(0);
        u16(e.u16Lifetime);
        str(e.Url);
        u8(0); // no authentication blocks
    }
    BOOLEAN finish()
    {
        if (!ok_ || out_->size() > kMaxLength)
            return FALSE;
        size_t n = out_->size();
        (*out_)[2] = (U8)(n >> 16);
        (*out_)[3] = (U8)(n >> 8);
        (*out_)[4] = (U8)n;
        return TRUE;
    }

private:
    std::vector<U8>* out_;
    bool ok_ = true;
};

} // namespace

SLP_DECODE_RESULT SLP_MSG_eDecode(const U8* pData, size_t nLength, SLP_MSG* pMsg)
{
    *pMsg = SLP_MSG{};
    if (pData == nullptr || nLength < SLP_HEADER_FIXED)
        return SLP_DECODE_BAD_HEADER;
    Reader r(pData, nLength);
    U8 version, function, flags, reserved;
    U32 length, ext;
    U16 xid;
    r.u8(&version);
    r.u8(&function);
    r.u24(&length);
    r.u8(&flags);
    r.u8(&reserved);
    r.u24(&ext);
    r.u16(&xid);
    if (version != SLP_VERSION)
        return SLP_DECODE_BAD_VERSION;
    if (function < SLP_FN_SRVRQST || function > SLP_FN_SAADVERT || length != nLength)
        return SLP_DECODE_BAD_HEADER;
    SLP_HEADER& h = pMsg->Header;
    h.u8Function = function;
    h.u8Flags = flags & (SLP_FLAG_OVERFLOW | SLP_FLAG_FRESH | SLP_FLAG_MCAST);
    h.u16Xid = xid;
    h.nLength = length;
    h.nExtOffset = ext;
    if (!r.str(&h.Lang) || h.Lang.empty())
        return SLP_DECODE_BAD_HEADER;

    // The body is read up to the first extension (or the end of the message);
    // what lies between the body and that point is junk and refused.
    size_t bodyEnd = ext != 0 ? ext : nLength;
    if (bodyEnd > nLength || bodyEnd < r.pos())
        return SLP_DECODE_BAD_BODY;
    Reader body(pData, bodyEnd);
    body.skip(r.pos());
    if (!readBody(body, pMsg) || body.pos() != bodyEnd) {
        pMsg->Urls.clear();
        return SLP_DECODE_BAD_BODY;
    }
    if (ext != 0) {
        SLP_DECODE_RESULT e = checkExtensions(pData, nLength, body.pos(), ext);
        if (e != SLP_DECODE_OK)
            return e;
    }
    return SLP_DECODE_OK;
}

BOOLEAN SLP_MSG_bEncodeSrvRqst(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags, std::string_view Lang,
                               std::string_view PrList, std::string_view Type,
                               std::string_view Scopes, std::string_view Predicate)
{
    Writer w(pOut);
    w.header(SLP_FN_SRVRQST, u16Xid, u8Flags, Lang);
    w.str(PrList);
    w.str(Type);
    w.str(Scopes);
    w.str(Predicate);
    w.str(""); // no SPI: unauthenticated
    return w.finish();
}

BOOLEAN SLP_MSG_bEncodeSrvRply(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags, std::string_view Lang,
                               U16 u16Error, const std::vector<SLP_URL_ENTRY>& Urls)
{
    if (Urls.size() > 0xFFFF)
        return FALSE;
    Writer w(pOut);
    w.header(SLP_FN_SRVRPLY, u16Xid, u8Flags, Lang);
    w.u16(u16Error);
    w.u16((U16)Urls.size());
    for (const SLP_URL_ENTRY& e : Urls)
        w.urlEntry(e);
    return w.finish();
}

BOOLEAN SLP_MSG_bEncodeAttrRqst(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                std::string_view Lang, std::string_view PrList,
                                std::string_view Url, std::string_view Scopes,
                                std::string_view Tags)
{
    Writer w(pOut);
    w.header(SLP_FN_ATTRRQST, u16Xid, u8Flags, Lang);
    w.str(PrList);
    w.str(Url);
    w.str(Scopes);
    w.str(Tags);
    w.str("");
    return w.finish();
}

BOOLEAN SLP_MSG_bEncodeAttrRply(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                std::string_view Lang, U16 u16Error, std::string_view Attrs)
{
    Writer w(pOut);
    w.header(SLP_FN_ATTRRPLY, u16Xid, u8Flags, Lang);
    w.u16(u16Error);
    w.str(Attrs);
    w.u8(0);
    return w.finish();
}

BOOLEAN SLP_MSG_bEncodeSrvTypeRqst(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                   std::string_view Lang, std::string_view PrList, BOOLEAN bAll,
                                   std::string_view NamingAuthority, std::string_view Scopes)
{
    Writer w(pOut);
    w.header(SLP_FN_SRVTYPERQST, u16Xid, u8Flags, Lang);
    w.str(PrList);
    if (bAll) {
        w.u16(SLP_NA_ALL);
    } else {
        if (NamingAuthority.size() >= SLP_NA_ALL)
            return FALSE;
        w.str(NamingAuthority);
    }
    w.str(Scopes);
    return w.finish();
}

BOOLEAN SLP_MSG_bEncodeSrvTypeRply(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                   std::string_view Lang, U16 u16Error, std::string_view Types)
{
    Writer w(pOut);
    w.header(SLP_FN_SRVTYPERPLY, u16Xid, u8Flags, Lang);
    w.u16(u16Error);
    w.str(Types);
    return w.finish();
}

BOOLEAN SLP_MSG_bEncodeSAAdvert(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags,
                                std::string_view Lang, std::string_view Url,
                                std::string_view Scopes, std::string_view Attrs)
{
    Writer w(pOut);
    w.header(SLP_FN_SAADVERT, u16Xid, u8Flags, Lang);
    w.str(Url);
    w.str(Scopes);
    w.str(Attrs);
    w.u8(0);
    return w.finish();
}

BOOLEAN SLP_MSG_bEncodeSrvReg(std::vector<U8>* pOut, U16 u16Xid, U8 u8Flags, std::string_view Lang,
                              const SLP_URL_ENTRY& Entry, std::string_view Type,
                              std::string_view Scopes, std::string_view Attrs)
{
    Writer w(pOut);
    w.header(SLP_FN_SRVREG, u16Xid, u8Flags, Lang);
    w.urlEntry(Entry);
    w.str(Type);
    w.str(Scopes);
    w.str(Attrs);
    w.u8(0);
    return w.finish();
}

BOOLEAN SLP_MSG_bEncodeError(std::vector<U8>* pOut, U8 u8Function, U16 u16Xid,
                             std::string_view Lang, U16 u16Error)
{
    switch (u8Function) {
    case SLP_FN_SRVRPLY:
        return SLP_MSG_bEncodeSrvRply(pOut, u16Xid, 0, Lang, u16Error, {});
    case SLP_FN_ATTRRPLY:
        return SLP_MSG_bEncodeAttrRply(pOut, u16Xid, 0, Lang, u16Error, "");
    case SLP_FN_SRVTYPERPLY:
        return SLP_MSG_bEncodeSrvTypeRply(pOut, u16Xid, 0, Lang, u16Error, "");
    case SLP_FN_SRVACK: {
        Writer w(pOut);
        w.header(SLP_FN_SRVACK, u16Xid, 0, Lang);
        w.u16(u16Error);
        return w.finish();
    }
    default:
        return FALSE;
    }
}
