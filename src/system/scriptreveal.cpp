#include "system/scriptreveal.h"

#include "framework/EventLoop.h"
#include "framework/Scripts.h"

namespace scriptreveal {

QString scriptreveal(const QList<framework::Variant>& parameters)
{
    if (parameters.size() - 1 < 0)
        return framework::runScript(ScriptNumber);
    framework::ScriptCall call(ScriptNumber);
    for (const framework::Variant& value : parameters) {
        if (value.Type() == framework::Variant::TypeInteger)
            call.addInteger(value.IntegerValue());
        else
            call.addString(value.StringValue());
        framework::yieldToEventLoop();
    }
    return call.complete();
}

} // namespace scriptreveal
