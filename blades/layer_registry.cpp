// The point counts of the Layer blocks the library has handed out.
#include "blades/layer_registry.h"

#include <mutex>
#include <unordered_map>

namespace h2::layer {
namespace {

struct Registry {
    std::mutex lock;
    std::unordered_map<const Layer*, int> sizes;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

void remember(const Layer* layer, int n) {
    if (layer == nullptr) return;
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.sizes[layer] = n;
}

bool forget(const Layer* layer) {
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.sizes.erase(layer) != 0;
}

bool size_matches(const Layer* layer, int n) {
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    const auto found = r.sizes.find(layer);
    return found == r.sizes.end() || found->second == n;
}

}  // namespace h2::layer
