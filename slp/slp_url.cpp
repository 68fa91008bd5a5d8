// Service URL and type helpers.
#include "slp/slp_url.h"

#include "slp/slp_text.h"

namespace {

constexpr std::string_view kService = "service:";

} // namespace

BOOLEAN SLP_URL_bSplit(std::string_view Url, SLP_URL_PARTS* pParts)
{
    *pParts = SLP_URL_PARTS{};
    size_t sep = Url.find("://");
    if (sep == std::string_view::npos || sep == 0)
        return FALSE;
    pParts->Type = Url.substr(0, sep);
    std::string_view rest = Url.substr(sep + 3);
    size_t slash = rest.find('/');
    std::string_view hostPort = rest.substr(0, slash);
    if (slash != std::string_view::npos)
        pParts->Part = rest.substr(slash);
    size_t colon = hostPort.rfind(':');
    if (!hostPort.empty() && hostPort[0] == '[') {
        size_t close = hostPort.find(']');
        if (close == std::string_view::npos)
            return FALSE;
        colon = hostPort.find(':', close);
    }
    pParts->Host = hostPort.substr(0, colon);
    if (colon != std::string_view::npos) {
        std::string_view port = hostPort.substr(colon + 1);
        if (port.empty() || port.size() > 5)
            return FALSE;
        int value = 0;
        for (char c : port) {
            if (c < '0' || c > '9')
                return FALSE;
            value = value * 10 + (c - '0');
        }
        if (value > 65535)
            return FALSE;
        pParts->nPort = value;
    }
    return TRUE;
}

std::string SLP_URL_NormalType(std::string_view Type)
{
    Type = SLP_TEXT_Trim(Type);
    if (SLP_TEXT_bStartsNoCase(Type, kService))
        return std::string(Type);
    return std::string(kService) + std::string(Type);
}

BOOLEAN SLP_URL_bTypeMatches(std::string_view Have, std::string_view Want)
{
    if (SLP_TEXT_bEqualNoCase(Have, Want))
        return TRUE;
    return Have.size() > Want.size() && Have[Want.size()] == ':' &&
           SLP_TEXT_bStartsNoCase(Have, Want) && SLP_TEXT_bStartsNoCase(Want, kService) &&
           Want.find(':', kService.size()) == std::string_view::npos;
}

std::string_view SLP_URL_NamingAuthority(std::string_view Type)
{
    if (SLP_TEXT_bStartsNoCase(Type, kService))
        Type.remove_prefix(kService.size());
    Type = Type.substr(0, Type.find(':'));
    size_t dot = Type.find('.');
    if (dot == std::string_view::npos)
        return {};
    return Type.substr(dot + 1);
}
