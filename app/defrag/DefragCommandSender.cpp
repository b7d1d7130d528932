#include "DefragCommandSender.h"

#include "DefragRecords.h"

bool StartDefragJob(DefragCommandSender& sender, DefragOperation operation, wchar_t drive) {
    if (!sender.Send(kCommandRelease, drive, 0) || !sender.Send(kCommandRelease, drive, 0))
        return false;
    return operation == DefragOperation::kAnalysis ? sender.Send(kCommandAnalyse, drive, 0)
                                                   : sender.Send(kCommandDefragment, drive, 1);
}

bool StartSecondPass(DefragCommandSender& sender, wchar_t drive) {
    return sender.Send(kCommandRelease, drive, 0) && sender.Send(kCommandDefragment, drive, 1);
}
