// The optional sub-records that a command owns through shared ownership (movement, shot and
// condition-list records) are never shared between two commands: copying a command gives it
// new sub-records equal to the source's.
#pragma once

#include <boost/shared_ptr.hpp>

// Deep-copy assignment of a sub-record pointer: an empty source empties the destination;
// otherwise the destination gets a new record with all the source's members. Safe when both
// name the same pointer or record.
template <class T>
void AssignSubRecord(boost::shared_ptr<T>& dst, const boost::shared_ptr<T>& src) {
  if (!src) {
    dst.reset();
    return;
  }
  // The copy is made before the destination lets go of its record, which may be the source.
  boost::shared_ptr<T> copy(new T);
  *copy = *src;
  dst = copy;
}
