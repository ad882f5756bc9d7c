// The kind and the state of a picture button beside the location box, whatever toolkit draws
// it: a push button looks pressed while it is held; a latched button shows its state (up, down,
// or up with the disabled picture).
#pragma once

#include <cstdint>

namespace tq {

class CImageButtonState {
public:
    static constexpr int32_t kPush = 1;
    static constexpr int32_t kLatched = 2;
    static constexpr int32_t kUp = 1;
    static constexpr int32_t kDown = 2;
    static constexpr int32_t kUpDisabled = 3;

    void SetKind(int32_t nKind) { m_nKind = nKind; }
    int32_t GetState() const { return m_nState; }

protected:
    int32_t m_nKind = kPush;
    int32_t m_nState = kUp;
};

}  // namespace tq
