# page form: letterhead
top-margin 40
header "Varen tvxx sample letterhead"
