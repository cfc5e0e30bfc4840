#include "vantor/dataset/WyxBankList.h"

namespace vantor::dataset
{
WyxBankList::WyxBankList() = default;
WyxBankList::~WyxBankList() = default;
} // namespace vantor::dataset
