#pragma once

#include <random>
#include <vector>

// The order of one shuffled round through the playlist: every entry (by its
// id) once, in a random order. Next and Prev walk it; a new round is dealt
// anew; entries added during a round go somewhere into the rest of it.
class ShuffleRound {
public:
    // A round of ids that begins with first (when it is one of them) and
    // holds the others in a random order; a round of more than one entry
    // never begins with avoid, the entry the last round ended on.
    void deal(std::vector<int> ids, int first, int avoid = -1);
    void clear() { order_.clear(); }
    // The id after (before) id in the round; -1 at the round's end (start)
    // or for an id not in it.
    int after(int id) const;
    int before(int id) const;
    int firstId() const { return order_.empty() ? -1 : order_.front(); }
    int lastId() const { return order_.empty() ? -1 : order_.back(); }
    // Puts ids at random places after the place of id (anywhere when id is
    // not in the round).
    void addAfter(int id, const std::vector<int>& ids);
    void remove(std::vector<int> ids);

private:
    int placeOf(int id) const;

    std::vector<int> order_;
    std::mt19937 random_{std::random_device{}()};
};
