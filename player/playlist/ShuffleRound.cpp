#include "ShuffleRound.h"

#include <algorithm>

void ShuffleRound::deal(std::vector<int> ids, int first, int avoid)
{
    order_ = std::move(ids);
    std::shuffle(order_.begin(), order_.end(), random_);
    const auto front = std::find(order_.begin(), order_.end(), first);
    if (front != order_.end()) {
        std::iter_swap(order_.begin(), front);
    } else if (order_.size() > 1 && order_.front() == avoid) {
        // Never the same song twice in a row across a round's border.
        std::uniform_int_distribution<std::size_t> other(1, order_.size() - 1);
        std::iter_swap(order_.begin(), order_.begin() + static_cast<long>(other(random_)));
    }
}

int ShuffleRound::placeOf(int id) const
{
    const auto at = std::find(order_.begin(), order_.end(), id);
    return at == order_.end() ? -1 : static_cast<int>(at - order_.begin());
}

int ShuffleRound::after(int id) const
{
    const int place = placeOf(id);
    if (place < 0 || place + 1 >= static_cast<int>(order_.size())) return -1;
    return order_[static_cast<std::size_t>(place) + 1];
}

int ShuffleRound::before(int id) const
{
    const int place = placeOf(id);
    if (place <= 0) return -1;
    return order_[static_cast<std::size_t>(place) - 1];
}

void ShuffleRound::addAfter(int id, const std::vector<int>& ids)
{
    const std::size_t first = static_cast<std::size_t>(placeOf(id) + 1);
    for (int added : ids) {
        std::uniform_int_distribution<std::size_t> place(first, order_.size());
        order_.insert(order_.begin() + static_cast<long>(place(random_)), added);
    }
}

void ShuffleRound::remove(std::vector<int> ids)
{
    std::sort(ids.begin(), ids.end());
    std::erase_if(order_, [&](int id) { return std::binary_search(ids.begin(), ids.end(), id); });
}
