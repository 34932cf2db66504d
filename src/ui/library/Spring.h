#pragma once
// A spring that can be sent to a new target at any time, keeping its speed: the motion of
// covers under the pointer. Response and damping fraction as the design gives them: the
// stiffness is (2π / response)², the damping 4π × fraction / response, the mass 1.

namespace nolby {

struct Spring {
    double value = 0, velocity = 0, target = 0;
    double response = 0.35, damping = 0.8;

    void to(double goal, double newResponse, double newDamping) {
        target = goal;
        response = newResponse;
        damping = newDamping;
    }
    // Moves the spring `seconds` on; a settled spring snaps to its target.
    void step(double seconds);
    bool settled() const;
};

}  // namespace nolby
