#include "nav/core/newdata_standins.h"

#include "kernel/lm_log.h"
#include "nav/core/t_nav_newdata.h"
#include "store/h_database.h"

#include <mutex>

namespace {

std::mutex s_lock;
std::vector<std::string>& calls(void)
{
    static std::vector<std::string>* const p = new std::vector<std::string>;
    return *p;
}

void vRecord(std::string s)
{
    std::lock_guard<std::mutex> guard(s_lock);
    calls().push_back(std::move(s));
}

} // namespace

void T_HTML_vDrawHtmlView(BITMAP*, WINDOW_SPECIFICATION*) {}

void T_NAV_GROUP_vHandleNewData(const MESSAGE_NEW_DATA* pMessage)
{
    const FOURCHARID key = pMessage != nullptr ? pMessage->FourCharId : 0;
    vRecord("group " + std::string(reinterpret_cast<const char*>(&key), 4));
}

void U_STEVRIN_vUpdateContourStr(const char* pcText)
{
    vRecord(std::string("contour ") + (pcText != nullptr ? pcText : ""));
}

std::vector<std::string> NAV_NEWDATA_STANDIN_vCalls(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    return calls();
}

void NAV_NEWDATA_STANDIN_vForget(void)
{
    std::lock_guard<std::mutex> guard(s_lock);
    calls().clear();
}
