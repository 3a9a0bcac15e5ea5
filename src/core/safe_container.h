// The containers used throughout: a vector and a list with an access by index that tests the
// bounds. An index out of range is a fatal program error: it is written to both logs, the
// main window is asked to close, and the access still yields an element so the caller can
// finish its step without touching memory outside the container.
#pragma once

#include <cstddef>
#include <list>
#include <vector>

// Logs "err V[index] ( size , elemSize )" (or "err L[...]") and posts WM_CLOSE to the main
// window.
void ReportVectorIndexError(int index, size_t size, size_t elemSize);
void ReportListIndexError(int index, size_t size, size_t elemSize);

// The spare element of a type, handed out by out-of-range accesses that have no element to
// give: value-initialised on first use and kept for the whole run (shared by every container
// of that type, and by every thread, like the original's).
template <class T>
T& SpareElement() {
  static T spare{};
  return spare;
}

template <class T>
class cSafeVector : public std::vector<T> {
 public:
  using std::vector<T>::vector;

  T& CheckedAt(int index) {
    if (index >= 0 && static_cast<size_t>(index) < this->size()) return (*this)[static_cast<size_t>(index)];
    return OutOfRange(index);
  }
  const T& CheckedAt(int index) const { return const_cast<cSafeVector*>(this)->CheckedAt(index); }

  // Sets every element to value.
  void Fill(const T& value) {
    for (size_t i = 0; i < this->size(); ++i) (*this)[i] = value;
  }

 private:
  // An empty vector gives the spare element of its type instead of raising an error that
  // nothing would catch: the close request is already on its way.
  T& OutOfRange(int index) {
    ReportVectorIndexError(index, this->size(), sizeof(T));
    if (this->empty()) return SpareElement<T>();
    return this->front();
  }
};

template <class T>
class cSafeList : public std::list<T> {
 public:
  using std::list<T>::list;

  T& CheckedListAt(int index) {
    if (index >= 0 && static_cast<size_t>(index) < this->size()) {
      auto it = this->begin();
      for (int i = 0; i < index; ++i) ++it;
      return *it;
    }
    ReportListIndexError(index, this->size(), sizeof(T));
    return SpareElement<T>();
  }
  const T& CheckedListAt(int index) const { return const_cast<cSafeList*>(this)->CheckedListAt(index); }
};
