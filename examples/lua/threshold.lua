-- Black or white by brightness: pixels at or above slider 1 become white, the rest
-- black. Alpha is kept.
local level = sliderVal1
for y = bound_y0, bound_y1 do
  for x = bound_x0, bound_x1 do
    local v = get_value(x, y) >= level and 1 or 0
    set_rgb(x, y, v, v, v)
  end
end
