// PartShape as the host holds it without the modelling module: a body's
// stored form, its checksum and what is known of it; the profile's pieces.
#include "platform/part_model/stored_body.h"

namespace zarvento {

MeridianPiece MeridianPiece::Segment(double z1, double r1, double z2, double r2) {
    return {Kind::Segment, {{z1, r1}, {z2, r2}}};
}

MeridianPiece MeridianPiece::Arc(double z1, double r1, double zm, double rm, double z2, double r2) {
    return {Kind::Arc, {{z1, r1}, {zm, rm}, {z2, r2}}};
}

MeridianPiece MeridianPiece::Spline(std::vector<std::array<double, 2>> poles) {
    return {Kind::Spline, std::move(poles)};
}

PartShape::PartShape() = default;
PartShape::PartShape(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

// Bytes are stored only for a body that is not null (Decode gives no body for none).
bool PartShape::IsNull() const { return !impl_ || (!impl_->shape && !impl_->stored); }

std::uint64_t PartShape::Checksum() const {
    if (!impl_) return BodyChecksum({});
    if (!impl_->checksum) impl_->checksum = BodyChecksum(Encode());
    return *impl_->checksum;
}

PartShape PartShape::Decode(std::string_view bytes, std::optional<std::uint64_t> checksum) {
    if (bytes.empty()) return {};
    auto impl = std::make_shared<PartShape::Impl>();
    impl->stored = std::string(bytes);
    impl->checksum = checksum;
    return PartShape(std::move(impl));
}

std::uint64_t BodyChecksum(std::string_view bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
    return h;
}

}  // namespace zarvento
