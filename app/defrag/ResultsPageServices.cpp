#include "ResultsPageServices.h"

void ResultsPageServices::ReadServiceResults(RunResults& results,
                                             const std::function<bool()>& cancelled) {
    ::FetchRunResults(results, cancelled);
}
