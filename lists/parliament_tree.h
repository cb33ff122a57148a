#pragma once

// The World Parliaments tree read from legis.dat.
//
// legis.dat has no header. Each line is one of:
//   1,<caption>,                   a group (a continent) at the top level; groups
//                                  are numbered 1, 2, 3 ... as they appear
//   <n>,<group number>,<caption>,  n other than 1: a country under that group
//   "<caption>",<address>,         a leaf (a parliament or chamber) under the
//                                  last group or country, or at the top level
//                                  before any
// Every field ends with a comma or is quoted; none runs to the line's end. An
// empty line ends the tree. At most 10 groups.
//
// Touched only from the user-interface thread.

#include <memory>
#include <string>
#include <vector>

struct TParliamentNode {
    std::string Caption;  // raw bytes from the file, see lists/list_text.h
    std::string Address;  // set on leaves only
    bool IsLeaf = false;
    std::vector<std::unique_ptr<TParliamentNode>> Children;
};

// Owns all its nodes; references into it stay valid until Clear() or the
// tree's destruction, and across further loads, which only add nodes.
class TParliamentTree {
  public:
    // An unnamed root whose children are the top level.
    const TParliamentNode& Root() const { return root_; }
    TParliamentNode& Root() { return root_; }
    void Clear() { root_.Children.clear(); }

  private:
    TParliamentNode root_;
};

extern TParliamentTree ParliamentTree;

// Adds the tree in legis.dat at `path` to `tree`, then sorts every level of
// `tree` alphabetically by caption. Returns 0; -1 on a field error; -2 when
// the file cannot be opened (nothing added); -3 when a line's first field is
// neither quoted nor an integer, or its group number is not an integer or
// names no group read so far, or an eleventh group appears. On -1 and -3 the
// nodes of the lines before the bad one stay in the tree. Never clears
// `tree`: clear it before reading the file again.
int LoadParliamentTree(const std::string& path, TParliamentTree& tree);
