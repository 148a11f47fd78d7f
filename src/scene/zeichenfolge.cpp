#include "scene/zeichenfolge.h"

#include <algorithm>
#include <cstring>

// Why this gives the exchange sort's order, ties included.
//
// The exchange sort works pass by pass. Pass p leaves at position p the first
// occurrence of the largest key among positions p..n; on the way it moves the
// elements that were strict left-to-right maxima ("records", starting with the
// element at p itself) one record position further to the right. No other
// element moves.
//
// 1. Restrict attention to the elements with key >= v. An element with a key
//    below v never lies between two of them in the chain in a way that changes
//    their relative order: a record with key >= v is a record of the whole
//    pass exactly when it is one among the elements >= v, and the largest
//    element goes to position p, in front of all of them, just as it would go
//    to the front of their own subsequence. So the relative order of the
//    elements >= v at the end equals the order the exchange sort gives to their
//    subsequence alone.
// 2. In that subsequence, take the elements with key exactly v (the smallest
//    there) and call every larger element B. While B elements remain, each
//    pass takes one B to the front. An element of key v can be a record only
//    if it stands at the front (everything before it is >= v, so it is not
//    strictly greater). So:
//    - if the front element is a B, the v elements do not move;
//    - if the front element is a v, it moves to the position of the first B
//      behind it, that is behind the run of v elements that leads the
//      sequence.
//    Either way one B leaves. Reading the subsequence left to right as a
//    pattern of v elements and B's, the leading run of v elements behaves as
//    a queue: each v appends itself, each B rotates the queue by one (front
//    to back; nothing happens while it is empty). After the last B the
//    queue is the final order of the key-v elements, and once no B is left
//    the sort leaves equal keys where they are.
// 3. The whole result is the keys in descending order, each tie group in its
//    queue order. For one group only the number of larger keys between its
//    consecutive members matters (a rotation by that count, taken modulo the
//    queue length), which a Fenwick tree over positions answers while the
//    groups are visited from the largest key down.

namespace wimmel::scene {

namespace {

// Counts marked positions; positions are 0-based, the tree 1-based.
class Zaehlbaum {
 public:
  void Neu(int32_t n) {
    n_ = n;
    baum_.assign(static_cast<size_t>(n) + 1, 0);
  }
  void Markiere(int32_t pos) {
    for (int32_t i = pos + 1; i <= n_; i += i & -i) ++baum_[static_cast<size_t>(i)];
  }
  // Marked positions below pos.
  int32_t Vor(int32_t pos) const {
    int32_t s = 0;
    for (int32_t i = pos; i > 0; i -= i & -i) s += baum_[static_cast<size_t>(i)];
    return s;
  }

 private:
  int32_t n_ = 0;
  std::vector<int32_t> baum_;
};

// A queue of positions with a cheap rotation: front element to the back.
class Ring {
 public:
  void Neu(int32_t kapazitaet) {
    feld_.resize(static_cast<size_t>(kapazitaet));
    kopf_ = 0;
    groesse_ = 0;
  }
  void Hinten(int32_t wert) {
    feld_[Stelle(groesse_)] = wert;
    ++groesse_;
  }
  void Drehe(int64_t schritte) {
    if (groesse_ < 2) return;
    schritte %= groesse_;
    const int32_t kap = static_cast<int32_t>(feld_.size());
    if (groesse_ == kap) {
      kopf_ = static_cast<int32_t>((kopf_ + schritte) % kap);
      return;
    }
    for (int64_t i = 0; i < schritte; ++i) {
      const int32_t vorne = feld_[static_cast<size_t>(kopf_)];
      kopf_ = (kopf_ + 1) % kap;
      feld_[Stelle(groesse_ - 1)] = vorne;
    }
  }
  int32_t Groesse() const { return groesse_; }
  int32_t operator[](int32_t i) const { return feld_[Stelle(i)]; }

 private:
  size_t Stelle(int32_t i) const {
    return static_cast<size_t>((kopf_ + i) % static_cast<int32_t>(feld_.size()));
  }
  std::vector<int32_t> feld_;
  int32_t kopf_ = 0;
  int32_t groesse_ = 0;
};

}  // namespace

void SortiereZeichenfolge(FolgeEintrag* eintraege, int32_t n) {
  if (n < 2) return;
  // Key descending, then position ascending, packed for one fast sort.
  static std::vector<uint64_t> ordnung;
  static std::vector<FolgeEintrag> ergebnis;
  static Zaehlbaum baum;
  static Ring ring;
  ordnung.resize(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t absteigend = ~(static_cast<uint32_t>(eintraege[i].key) ^ 0x80000000u);
    ordnung[static_cast<size_t>(i)] =
        (static_cast<uint64_t>(absteigend) << 32) | static_cast<uint32_t>(i);
  }
  std::sort(ordnung.begin(), ordnung.end());
  ergebnis.clear();
  ergebnis.reserve(static_cast<size_t>(n));
  baum.Neu(n);

  int32_t markiert = 0;
  size_t anfang = 0;
  while (anfang < ordnung.size()) {
    const uint32_t schluessel = static_cast<uint32_t>(ordnung[anfang] >> 32);
    size_t ende = anfang + 1;
    while (ende < ordnung.size() && static_cast<uint32_t>(ordnung[ende] >> 32) == schluessel) {
      ++ende;
    }
    auto position = [&](size_t k) { return static_cast<int32_t>(ordnung[k] & 0xFFFFFFFFu); };
    if (ende - anfang == 1) {
      ergebnis.push_back(eintraege[position(anfang)]);
    } else {
      ring.Neu(static_cast<int32_t>(ende - anfang));
      int32_t vorher = baum.Vor(position(anfang));
      ring.Hinten(position(anfang));
      for (size_t k = anfang + 1; k < ende; ++k) {
        const int32_t bis = baum.Vor(position(k));
        ring.Drehe(bis - vorher);
        ring.Hinten(position(k));
        vorher = bis;
      }
      ring.Drehe(markiert - vorher);
      for (int32_t i = 0; i < ring.Groesse(); ++i) ergebnis.push_back(eintraege[ring[i]]);
    }
    for (size_t k = anfang; k < ende; ++k) {
      baum.Markiere(position(k));
      ++markiert;
    }
    anfang = ende;
  }
  std::memcpy(eintraege, ergebnis.data(), sizeof(FolgeEintrag) * static_cast<size_t>(n));
}

}  // namespace wimmel::scene
