#include "ResultsPageServices.h"

void ResultsPageServices::FetchRunResults(RunResults& results) {
    ::FetchRunResults(results);
}
