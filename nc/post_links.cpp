// The registration point of the post-processing links.
#include "nc/post_links.h"

namespace zarvento {

namespace {
PostLinks* g_postLinks = nullptr;
}

PostLinks* GetPostLinks() { return g_postLinks; }

PostLinks* RegisterPostLinks(PostLinks* links) {
    PostLinks* previous = g_postLinks;
    g_postLinks = links;
    return previous;
}

}  // namespace zarvento
