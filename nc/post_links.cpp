// The registration point of the post-processing links.
#include "nc/post_links.h"

#include "platform/core/registration.h"

namespace zarvento {

namespace {
Registration<PostLinks> registration;
}  // namespace

PostLinks* GetPostLinks() { return registration.Get(); }

PostLinks* RegisterPostLinks(PostLinks* links) { return registration.Register(links); }

}  // namespace zarvento
